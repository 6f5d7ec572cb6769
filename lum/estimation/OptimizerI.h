#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <vector>

namespace lum {

struct HessianSeed;

class Func;

// An unconstrained minimiser of a Func. Every optimizer has a name, an id and a few named
// settings; the id and settings round-trip through a short text, "id;name=value;...", which is
// how the chosen optimizer is stored in the application settings (see createOptimizer()).
//
// optimize() emits beginOptimization() before it starts and endOptimization() when it returns
// normally, also when it stops early because `cancelled` became true. Failures are thrown as
// NR3::NRError.
class OptimizerI : public QObject
{
    Q_OBJECT

public:
    ~OptimizerI() override;
    OptimizerI(const OptimizerI&) = delete;
    OptimizerI& operator=(const OptimizerI&) = delete;

    // Minimises func starting from x, which receives the result. Polls `cancelled` between
    // steps and returns early once it is true. Stores the number of iterations.
    virtual void optimize(Func& func, std::vector<double>& x, const std::atomic<bool>& cancelled,
                          int& iterations) = 0;
    // A new optimizer of the same kind and settings, for a fit on another thread; null when
    // this one cannot be copied.
    virtual std::unique_ptr<OptimizerI> clone() const;
    // For a sequence of runs on nearby functions of one structure, such as the fits of a
    // profile likelihood: whether a run may start from the curvature the run before it left,
    // where this optimizer keeps one (Newton's factored Hessian). The runs end at the same
    // minima either way. Every call forgets what was kept. Off by default.
    virtual void setCarryCurvature(bool carry);
    // While curvature is carried: the Hessian the next run starts from when nothing was kept
    // yet, in place of one of its own at its starting point (Newton's). Ignored by the others.
    virtual void seedCurvature(const HessianSeed& seed);
    virtual QString name() const;
    virtual int id() const;
    virtual void resetToDefaults();
    virtual void setSettingsString(const QString& text);
    virtual QString settingsString() const;
    virtual QString description() const;
    virtual QStringList settingNames() const;
    // Integers in decimal, doubles with 6 significant digits.
    virtual QStringList settingValues() const;
    // Stores each value into the setting of the same name; unknown names, and values that are
    // not numbers of the setting's type, are ignored.
    virtual void setSettings(const QStringList& names, const QStringList& values);
    // Sets one setting from text; empty, or (changing nothing) what is wrong with the value and
    // what is expected: a positive number, a whole one for counts.
    QString setSetting(const QString& name, const QString& value);
    // A setting's name as it is spelt now, for a name older stored texts may hold.
    static QString currentSettingName(const QString& name);

signals:
    void beginOptimization(QString optimizerName, double functionValue);
    void endOptimization(QString optimizerName, double functionValue, int numIterations);

protected:
    enum class SettingType
    {
        Integer,
        Double
    };

    OptimizerI(QString name, int id, QObject* parent);
    // Declares the next setting; settings keep the order in which they are declared.
    int addSetting(const QString& name, SettingType type, double defaultValue);
    int integerSetting(int index) const;
    // The limit of a run on n parameters: the setting, or perParameter * n when that is more.
    // The work a minimiser needs grows with the number of parameters, so a fixed limit that
    // suits ten parameters would stop a fit of a few hundred long before it converged.
    static int scaledLimit(int setting, std::size_t n, int perParameter);
    double doubleSetting(int index) const;
    // Emit the two signals around a run; announceBegin() returns the starting value.
    double announceBegin(Func& func, const std::vector<double>& x);
    void announceEnd(Func& func, const std::vector<double>& x, int iterations);

private:
    struct Setting
    {
        QString name;
        SettingType type = SettingType::Double;
        double defaultValue = 0.0;
        double value = 0.0;
    };

    QString valueText(const Setting& setting) const;

    QString m_name;
    int m_id = 0;
    std::vector<Setting> m_settings;
};

} // namespace lum

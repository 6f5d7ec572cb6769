#include "lum/estimation/OptimizerI.h"

#include "lum/estimation/Func.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace lum {

OptimizerI::OptimizerI(QString name, int id, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_id(id)
{
}

OptimizerI::~OptimizerI() = default;

QString OptimizerI::name() const
{
    return m_name;
}

int OptimizerI::id() const
{
    return m_id;
}

void OptimizerI::resetToDefaults()
{
    for (Setting& setting : m_settings)
        setting.value = setting.defaultValue;
}

void OptimizerI::setSettingsString(const QString& text)
{
    const QStringList fields = text.split(QLatin1Char(';'));
    QStringList names;
    QStringList values;
    for (int i = 1; i < fields.size(); ++i) {
        const int equals = fields[i].indexOf(QLatin1Char('='));
        if (equals < 0) {
            names << fields[i];
            values << QString();
        } else {
            names << fields[i].left(equals);
            values << fields[i].mid(equals + 1);
        }
    }
    setSettings(names, values);
}

void OptimizerI::setCarryCurvature(bool) {}

void OptimizerI::seedCurvature(const HessianSeed&) {}

std::unique_ptr<OptimizerI> OptimizerI::clone() const
{
    return nullptr;
}

QString OptimizerI::settingsString() const
{
    QString text = QString::number(m_id);
    for (const Setting& setting : m_settings)
        text += QLatin1Char(';') + setting.name + QLatin1Char('=') + valueText(setting);
    return text;
}

QString OptimizerI::description() const
{
    QString text = m_name;
    for (const Setting& setting : m_settings)
        text += QLatin1String(", ") + setting.name + QLatin1Char('=') + valueText(setting);
    return text;
}

QStringList OptimizerI::settingNames() const
{
    QStringList names;
    for (const Setting& setting : m_settings)
        names << setting.name;
    return names;
}

QStringList OptimizerI::settingValues() const
{
    QStringList values;
    for (const Setting& setting : m_settings)
        values << valueText(setting);
    return values;
}

void OptimizerI::setSettings(const QStringList& names, const QStringList& values)
{
    const int count = std::min(names.size(), values.size());
    for (int i = 0; i < count; ++i) {
        const QString name = currentSettingName(names[i]);
        for (Setting& setting : m_settings) {
            if (setting.name != name)
                continue;
            bool ok = false;
            const double value = setting.type == SettingType::Integer
                                     ? static_cast<double>(values[i].trimmed().toInt(&ok))
                                     : values[i].trimmed().toDouble(&ok);
            // A damaged settings text must not turn a limit or tolerance into nonsense.
            if (ok && std::isfinite(value))
                setting.value = value;
        }
    }
}

QString OptimizerI::currentSettingName(const QString& name)
{
    // Settings texts stored by earlier versions carry this misspelling.
    if (name == QLatin1String("maxFuncEvalualtions"))
        return QStringLiteral("maxFuncEvaluations");
    return name;
}

QString OptimizerI::setSetting(const QString& name, const QString& value)
{
    for (Setting& setting : m_settings) {
        if (setting.name != name)
            continue;
        bool ok = false;
        const bool integer = setting.type == SettingType::Integer;
        const double number = integer ? static_cast<double>(value.toInt(&ok)) : value.toDouble(&ok);
        if (!ok || !std::isfinite(number) || number <= 0)
            return QStringLiteral("Invalid value \"%1\" for %2 of the %3 optimizer: expected %4")
                .arg(value, name, m_name,
                     integer ? QStringLiteral("a whole number of 1 or more")
                             : QStringLiteral("a number greater than 0, such as 1e-8"));
        setting.value = number;
        return {};
    }
    return QStringLiteral("Unknown setting \"%1\" of the %2 optimizer").arg(name, m_name);
}

int OptimizerI::addSetting(const QString& name, SettingType type, double defaultValue)
{
    m_settings.push_back(Setting{name, type, defaultValue, defaultValue});
    return static_cast<int>(m_settings.size()) - 1;
}

int OptimizerI::integerSetting(int index) const
{
    return static_cast<int>(m_settings[static_cast<std::size_t>(index)].value);
}

double OptimizerI::doubleSetting(int index) const
{
    return m_settings[static_cast<std::size_t>(index)].value;
}

int OptimizerI::scaledLimit(int setting, std::size_t n, int perParameter)
{
    const long long scaled = static_cast<long long>(n) * perParameter;
    return static_cast<int>(
        std::min<long long>(std::max<long long>(setting, scaled), std::numeric_limits<int>::max()));
}

double OptimizerI::announceBegin(Func& func, const std::vector<double>& x)
{
    const double value = func.countedValue(x);
    emit beginOptimization(name(), value);
    return value;
}

void OptimizerI::announceEnd(Func& func, const std::vector<double>& x, int iterations)
{
    emit endOptimization(name(), func.countedValue(x), iterations);
}

QString OptimizerI::valueText(const Setting& setting) const
{
    if (setting.type == SettingType::Integer)
        return QString::number(static_cast<int>(setting.value));
    return QString::number(setting.value, 'g', 6);
}

} // namespace lum

#pragma once

#include <QObject>
#include <QVariant>

class QSignalMapper;
class QWidget;

namespace lum {

class LumSettings;

// Binds editor widgets of a settings form to setting keys (or to one element
// of an array key): a bound widget shows the stored value and every edit is
// stored at once. Known editors: line edits (also an application's own
// "RangeLineEdit"), check boxes and radio buttons, combo boxes (the index)
// and spin boxes; other widgets are mapped but never stored.
class SettingsBinding : public QObject
{
    Q_OBJECT

public:
    // `settings` is borrowed and must outlive the binding.
    explicit SettingsBinding(LumSettings& settings, QObject* parent = nullptr);
    ~SettingsBinding() override;

    void bindArrayWidget(QWidget* widget, int key, int index, bool disconnectFirst);
    void bindWidget(QWidget* widget, int id, const QVariant& value, bool disconnectFirst);
    void bindWidget(QWidget* widget, int key, bool disconnectFirst);
    void unbindWidget(QWidget* widget);

public slots:
    // Stores the current value of the widget bound under `id`.
    void settingChanged(int id);

private:
    LumSettings& m_settings;
    QSignalMapper* m_mapper = nullptr; // child
};

} // namespace lum

#include "lum/ui/SettingsBinding.h"

#include "lum/settings/LumSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalMapper>
#include <QSpinBox>

namespace lum {

namespace {

enum class EditorKind
{
    LineEdit,
    Toggle,
    Combo,
    Spin,
    Other
};

// The class name without its namespace, so that an application's own
// line edit class is recognised whatever namespace it lives in.
QString plainClassName(const QWidget* widget)
{
    const QString name = QString::fromLatin1(widget->metaObject()->className());
    return name.mid(name.lastIndexOf(QLatin1Char(':')) + 1);
}

EditorKind editorKind(QWidget* widget)
{
    const QString name = plainClassName(widget);
    if ((name == "QLineEdit" || name == "RangeLineEdit") && qobject_cast<QLineEdit*>(widget))
        return EditorKind::LineEdit;
    if ((name == "QCheckBox" || name == "QRadioButton") && qobject_cast<QAbstractButton*>(widget))
        return EditorKind::Toggle;
    if (name == "QComboBox" && qobject_cast<QComboBox*>(widget))
        return EditorKind::Combo;
    if (name == "QSpinBox" && qobject_cast<QSpinBox*>(widget))
        return EditorKind::Spin;
    return EditorKind::Other;
}

} // namespace

SettingsBinding::SettingsBinding(LumSettings& settings, QObject* parent)
    : QObject(parent), m_settings(settings), m_mapper(new QSignalMapper(this))
{
    connect(m_mapper, &QSignalMapper::mappedInt, this, &SettingsBinding::settingChanged);
}

SettingsBinding::~SettingsBinding() = default;

void SettingsBinding::bindWidget(QWidget* widget, int id, const QVariant& value,
                                 bool disconnectFirst)
{
    if (!widget)
        return;
    // Disconnect before mapping: the mapper's own watch on the widget's
    // destruction must survive, or a destroyed widget would stay mapped.
    if (disconnectFirst)
        widget->disconnect();
    m_mapper->setMapping(widget, id);
    const auto map = qOverload<>(&QSignalMapper::map);
    switch (editorKind(widget)) {
    case EditorKind::LineEdit: {
        auto* edit = qobject_cast<QLineEdit*>(widget);
        connect(edit, &QLineEdit::textChanged, m_mapper, map);
        edit->setText(value.toString());
        break;
    }
    case EditorKind::Toggle: {
        auto* button = qobject_cast<QAbstractButton*>(widget);
        connect(button, &QAbstractButton::toggled, m_mapper, map);
        button->setChecked(value.toBool());
        break;
    }
    case EditorKind::Combo: {
        auto* combo = qobject_cast<QComboBox*>(widget);
        connect(combo, qOverload<int>(&QComboBox::currentIndexChanged), m_mapper, map);
        combo->setCurrentIndex(value.toInt());
        break;
    }
    case EditorKind::Spin: {
        auto* spin = qobject_cast<QSpinBox*>(widget);
        connect(spin, qOverload<int>(&QSpinBox::valueChanged), m_mapper, map);
        spin->setValue(value.toInt());
        break;
    }
    case EditorKind::Other:
        break;
    }
}

void SettingsBinding::bindWidget(QWidget* widget, int key, bool disconnectFirst)
{
    if (widget)
        bindWidget(widget, key, m_settings.value(key), disconnectFirst);
}

void SettingsBinding::bindArrayWidget(QWidget* widget, int key, int index, bool disconnectFirst)
{
    if (widget)
        bindWidget(widget, key * LumSettings::arrayIdFactor + index,
                   m_settings.arrayValue(key, index), disconnectFirst);
}

void SettingsBinding::unbindWidget(QWidget* widget)
{
    if (widget)
        m_mapper->removeMappings(widget);
}

void SettingsBinding::settingChanged(int id)
{
    const int key = id >= LumSettings::arrayIdFactor ? id / LumSettings::arrayIdFactor : id;
    const int index = id >= LumSettings::arrayIdFactor ? id % LumSettings::arrayIdFactor : -1;
    auto* widget = qobject_cast<QWidget*>(m_mapper->mapping(id));
    if (!widget)
        return;
    QVariant edited;
    switch (editorKind(widget)) {
    case EditorKind::LineEdit:
        edited = qobject_cast<QLineEdit*>(widget)->text();
        break;
    case EditorKind::Toggle:
        edited = qobject_cast<QAbstractButton*>(widget)->isChecked();
        break;
    case EditorKind::Combo:
        edited = qobject_cast<QComboBox*>(widget)->currentIndex();
        break;
    case EditorKind::Spin:
        edited = qobject_cast<QSpinBox*>(widget)->value();
        break;
    case EditorKind::Other:
        return;
    }
    m_settings.setValue(key, index, edited);
}

} // namespace lum

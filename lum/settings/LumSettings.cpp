#include "lum/settings/LumSettings.h"

#include "lum/settings/LumQtSettingsProxy.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalMapper>
#include <QSpinBox>

namespace lum {

namespace {

// Element values of arrays are stored under this name inside the array.
const QString arrayElementName = QStringLiteral("data");

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

QString environmentText(const char* name)
{
    return QString::fromLocal8Bit(qgetenv(name));
}

#ifndef Q_OS_WIN
// The per-user data home of the XDG conventions.
QString xdgDataHome()
{
    const QString xdg = environmentText("XDG_DATA_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return QDir::toNativeSeparators(xdg);
    return QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/.local/share"));
}
#endif

QString organisationFolder(const QString& base, const QString& subFolder)
{
    const QChar sep = QDir::separator();
    QString path = base + sep + QStringLiteral("Aldermoor Lab");
    if (!subFolder.isEmpty())
        path += sep + subFolder;
    return path;
}

} // namespace

LumSettings::LumSettings(QObject* parent) : QObject(parent), m_mapper(new QSignalMapper(this))
{
    m_stores.push_back(std::make_unique<LumQtSettingsProxy>());
    connect(m_mapper, &QSignalMapper::mappedInt, this, &LumSettings::settingChanged);
}

LumSettings::~LumSettings() = default;

void LumSettings::addStore(std::unique_ptr<LumSettingsProxy> store)
{
    m_stores.push_back(std::move(store));
}

void LumSettings::addSetting(int key, const QString& name, const QVariant& defaultValue)
{
    m_names[key] = name;
    m_storeOfKey[key] = currentStore();
    if (defaultValue.isNull())
        m_defaults.remove(key);
    else
        m_defaults[key] = defaultValue;
}

LumSettingsProxy* LumSettings::storeFor(int key) const
{
    return m_storeOfKey.value(key, currentStore());
}

QVariant LumSettings::value(int key) const
{
    if (!isRegistered(key))
        return {};
    return storeFor(key)->value(m_names.value(key), m_defaults.value(key));
}

QVariant LumSettings::defaultValue(int key) const
{
    return m_defaults.value(key);
}

void LumSettings::setValue(int key, const QVariant& value)
{
    const QString stored = name(key);
    if (!stored.isEmpty())
        storeFor(key)->setValue(stored, value);
}

void LumSettings::setValue(int key, int index, const QVariant& value)
{
    if (index == -1)
        setValue(key, value);
    else
        setArrayValue(key, index, value);
}

void LumSettings::setDirectoryOf(int key, const QString& filePath)
{
    setValue(key, QFileInfo(filePath).absolutePath());
}

QVariantList LumSettings::readArray(int key) const
{
    QVariantList list;
    if (!isRegistered(key))
        return list;
    LumSettingsProxy* store = storeFor(key);
    const int size = store->beginReadArray(name(key));
    for (int i = 0; i < size; ++i) {
        store->setArrayIndex(i);
        list.append(store->value(arrayElementName, QVariant()));
    }
    store->endArray();
    return list;
}

void LumSettings::writeArray(int key, const QVariantList& list)
{
    if (!isRegistered(key))
        return;
    LumSettingsProxy* store = storeFor(key);
    store->remove(name(key));
    store->beginWriteArray(name(key), list.size());
    for (int i = 0; i < list.size(); ++i) {
        store->setArrayIndex(i);
        store->setValue(arrayElementName, list.at(i));
    }
    store->endArray();
}

QVariant LumSettings::arrayValue(int key, int index) const
{
    if (!isRegistered(key))
        return {};
    const QVariantList list = readArray(key);
    return index >= 0 && index < list.size() ? list.at(index) : QVariant();
}

void LumSettings::setArrayValue(int key, int index, const QVariant& value)
{
    QVariantList list = readArray(key);
    if (index >= 0 && index < list.size())
        list[index] = value;
    writeArray(key, list);
}

QString LumSettings::userDataDir(const QString& subFolder)
{
    QString base = environmentText("LOCALAPPDATA");
    if (base.isEmpty()) {
        const QString profile = environmentText("USERPROFILE");
#ifndef Q_OS_WIN
        // Outside Windows neither variable is normally set; the per-user
        // data then lives in the XDG data home.
        if (profile.isEmpty())
            base = xdgDataHome();
        else
#endif
            base = profile + QDir::separator() + QStringLiteral("Application Data");
    }
    return organisationFolder(base, subFolder);
}

QString LumSettings::commonDataDir(const QString& subFolder)
{
    QString base = environmentText("ProgramData");
    if (base.isEmpty()) {
        base = environmentText("ALLUSERSPROFILE");
        if (!base.isEmpty())
            base += QDir::separator() + QStringLiteral("Application Data");
    }
#ifndef Q_OS_WIN
    // Outside Windows there is no all-users data folder that a user may
    // write to; the shared files get a folder in the user's data home.
    if (base.isEmpty())
        base = xdgDataHome() + QDir::separator() + QStringLiteral("Shared");
#endif
    if (base.isEmpty())
        return {};
    return organisationFolder(base, subFolder);
}

void LumSettings::sync()
{
    for (const auto& store : m_stores)
        store->sync();
}

void LumSettings::writeMissingDefaults()
{
    for (auto it = m_defaults.cbegin(); it != m_defaults.cend(); ++it) {
        const QString stored = name(it.key());
        if (!stored.isEmpty() && !value(it.key()).isValid())
            storeFor(it.key())->setValue(stored, it.value());
    }
}

void LumSettings::restoreDefaults(bool all)
{
    for (auto it = m_names.cbegin(); it != m_names.cend(); ++it) {
        if (!all && m_preservedKeys.contains(it.key()))
            continue;
        storeFor(it.key())->remove(it.value());
    }
    writeMissingDefaults();
}

void LumSettings::bindWidget(QWidget* widget, int id, const QVariant& value, bool disconnectFirst)
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

void LumSettings::bindWidget(QWidget* widget, int key, bool disconnectFirst)
{
    if (widget)
        bindWidget(widget, key, value(key), disconnectFirst);
}

void LumSettings::bindArrayWidget(QWidget* widget, int key, int index, bool disconnectFirst)
{
    if (widget)
        bindWidget(widget, key * arrayIdFactor + index, arrayValue(key, index), disconnectFirst);
}

void LumSettings::unbindWidget(QWidget* widget)
{
    if (widget)
        m_mapper->removeMappings(widget);
}

void LumSettings::settingChanged(int id)
{
    const int key = id >= arrayIdFactor ? id / arrayIdFactor : id;
    const int index = id >= arrayIdFactor ? id % arrayIdFactor : -1;
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
    setValue(key, index, edited);
}

} // namespace lum

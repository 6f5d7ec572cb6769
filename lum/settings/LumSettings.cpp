#include "lum/settings/LumSettings.h"

#include "lum/settings/LumQtSettingsProxy.h"

#include <QDir>
#include <QFileInfo>

namespace lum {

namespace {

// Element values of arrays are stored under this name inside the array.
const QString arrayElementName = QStringLiteral("data");

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

LumSettings::LumSettings(QObject* parent) : QObject(parent)
{
    m_stores.push_back(std::make_unique<LumQtSettingsProxy>());
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

QVariant LumSettings::storedValue(int key) const
{
    if (!isRegistered(key))
        return {};
    return storeFor(key)->value(m_names.value(key), QVariant());
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

} // namespace lum

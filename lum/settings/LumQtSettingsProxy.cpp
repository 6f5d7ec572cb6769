#include "lum/settings/LumQtSettingsProxy.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace lum {

namespace {

// QSettings guards its file with "<file>.lock" and waits 30 s for a lock it cannot tell from a
// live one. A lock file is written with its owner's process id as soon as it is made, so an
// empty one that is more than a moment old was left by a process stopped right after making
// it (Ctrl-C during start-up): nobody holds it.
void removeAbandonedLock()
{
#ifndef Q_OS_WIN
    const QString organization = QCoreApplication::organizationName().isEmpty()
                                     ? QStringLiteral("Unknown Organization")
                                     : QCoreApplication::organizationName();
    const QString lock = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QLatin1Char('/') + organization + QLatin1Char('/') +
                         QCoreApplication::applicationName() + QStringLiteral(".conf.lock");
    const QFileInfo info(lock);
    if (info.isFile() && info.size() == 0 &&
        info.lastModified().msecsTo(QDateTime::currentDateTime()) > 1000)
        QFile::remove(lock);
#endif
}

} // namespace

LumQtSettingsProxy::LumQtSettingsProxy()
{
    removeAbandonedLock();
    m_settings = std::make_unique<QSettings>();
}

LumQtSettingsProxy::~LumQtSettingsProxy() = default;

void LumQtSettingsProxy::setValue(const QString& name, const QVariant& value)
{
    m_settings->setValue(name, value);
}

QVariant LumQtSettingsProxy::value(const QString& name, const QVariant& defaultValue) const
{
    return m_settings->value(name, defaultValue);
}

int LumQtSettingsProxy::beginReadArray(const QString& prefix)
{
    return m_settings->beginReadArray(prefix);
}

void LumQtSettingsProxy::beginWriteArray(const QString& prefix, int size)
{
    m_settings->beginWriteArray(prefix, size);
}

void LumQtSettingsProxy::setArrayIndex(int i)
{
    m_settings->setArrayIndex(i);
}

void LumQtSettingsProxy::endArray()
{
    m_settings->endArray();
}

void LumQtSettingsProxy::remove(const QString& name)
{
    m_settings->remove(name);
}

void LumQtSettingsProxy::sync()
{
    m_settings->sync();
}

} // namespace lum

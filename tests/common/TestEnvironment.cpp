#include "common/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>

#include <cstdlib>
#include <memory>

namespace rivulet::test {

namespace {
std::unique_ptr<QTemporaryDir>& rootDir()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

void setEnv(const char* name, const QString& value)
{
    qputenv(name, QFile::encodeName(value));
}
} // namespace

void TestEnvironment::setUp()
{
    rootDir() = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/rivulet-test-XXXXXX");
    const QString base = rootDir()->path();
    for (const char* sub : {"home", "config", "data", "cache", "runtime", "localappdata",
                            "userprofile", "programdata", "allusers"})
        QDir(base).mkpath(sub);
    QFile::setPermissions(base + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);
    setEnv("HOME", base + "/home");
    setEnv("XDG_CONFIG_HOME", base + "/config");
    setEnv("XDG_DATA_HOME", base + "/data");
    setEnv("XDG_CACHE_HOME", base + "/cache");
    setEnv("XDG_RUNTIME_DIR", base + "/runtime");
    setEnv("LOCALAPPDATA", base + "/localappdata");
    setEnv("USERPROFILE", base + "/userprofile");
    setEnv("ProgramData", base + "/programdata");
    setEnv("ALLUSERSPROFILE", base + "/allusers");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

QString TestEnvironment::root()
{
    return rootDir() ? rootDir()->path() : QDir::tempPath();
}

QString TestEnvironment::freshDir(const QString& hint)
{
    const QString path =
        root() + "/" + hint + "-" + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    QDir().mkpath(path);
    return path;
}

QString TestEnvironment::sourceDir()
{
    const QByteArray dir = qgetenv("RIVULET_SOURCE_DIR");
    return dir.isEmpty() ? QStringLiteral(RIVULET_TEST_SOURCE_DIR) : QString::fromLocal8Bit(dir);
}

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value) : m_name(name)
{
    m_hadPrevious = qEnvironmentVariableIsSet(name);
    m_previous = qgetenv(name);
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

ScopedEnv::~ScopedEnv()
{
    if (m_hadPrevious)
        qputenv(m_name.constData(), m_previous);
    else
        qunsetenv(m_name.constData());
}

} // namespace rivulet::test

#include "lum/settings/LumQtSettingsProxy.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

// An empty lock file beside the settings, left by a Ctrl-C during start-up, made every later
// run wait about 30 s in silence.
TEST(LumQtSettingsProxy, AnAbandonedEmptyLockFileDoesNotHoldTheSettingsUp)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QLatin1Char('/') + QCoreApplication::organizationName();
    ASSERT_FALSE(QCoreApplication::organizationName().isEmpty());
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString lock = folder + QLatin1Char('/') + QCoreApplication::applicationName() +
                         QStringLiteral(".conf.lock");
    QFile file(lock);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-5),
                                 QFileDevice::FileModificationTime));
    file.close();

    QElapsedTimer timer;
    timer.start();
    lum::LumQtSettingsProxy settings;
    settings.setValue(QStringLiteral("probe"), 7);
    settings.sync();
    EXPECT_EQ(settings.value(QStringLiteral("probe"), 0).toInt(), 7);
    EXPECT_LT(timer.elapsed(), 10000);
}

} // namespace

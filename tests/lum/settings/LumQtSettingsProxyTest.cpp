#include "lum/settings/LumQtSettingsProxy.h"
#include "lum/settings/LumSettings.h"

#include "common/TestEnvironment.h"

#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

TEST(LumQtSettingsProxy, WritesThePerUserStoreOfTheApplication)
{
    {
        lum::LumQtSettingsProxy proxy;
        proxy.setValue("proxy_plain", 17);
        proxy.sync();
    }
    QSettings platform;
    EXPECT_EQ(platform.value("proxy_plain").toInt(), 17);
    // Under the isolated configuration folder, keyed on organisation and
    // application.
    EXPECT_TRUE(platform.fileName().startsWith(rivulet::test::TestEnvironment::root()));
    EXPECT_TRUE(platform.fileName().contains("Aldermoor Lab"));
    EXPECT_TRUE(QFileInfo::exists(platform.fileName()));
}

TEST(LumQtSettingsProxy, SettingsOnThePerUserStoreSurviveANewSettingsObject)
{
    {
        lum::LumSettings settings;
        settings.addSetting(13, "proxy_precision_err", 4);
        settings.setValue(13, 2);
        settings.writeArray(13, {5, 6});
        settings.sync();
    }
    lum::LumSettings again;
    again.addSetting(13, "proxy_precision_err", 4);
    EXPECT_EQ(again.readArray(13), (QVariantList{5, 6}));
    again.restoreDefaults(true);
    EXPECT_EQ(again.value(13), QVariant(4));
    EXPECT_TRUE(again.readArray(13).isEmpty());
}

} // namespace

#include "lum/settings/LumSettings.h"

#include "common/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using rivulet::test::ScopedEnv;

const QByteArray unset; // a null value unsets the variable

// The variables of one case; each one given as a value or unset.
struct Env
{
    QByteArray localAppData, userProfile, programData, allUsers, xdgDataHome, home;
};

class LumSettingsFolders
    : public ::testing::TestWithParam<std::tuple<Env, const char*, const char*>>
{
};

TEST_P(LumSettingsFolders, FollowTheVariables)
{
    const auto& [env, user, common] = GetParam();
    ScopedEnv a("LOCALAPPDATA", env.localAppData);
    ScopedEnv b("USERPROFILE", env.userProfile);
    ScopedEnv c("ProgramData", env.programData);
    ScopedEnv d("ALLUSERSPROFILE", env.allUsers);
    ScopedEnv e("XDG_DATA_HOME", env.xdgDataHome);
    ScopedEnv f("HOME", env.home.isNull() ? QByteArray("/home/fish") : env.home);
    EXPECT_EQ(lum::LumSettings::userDataDir("Rivulet"), user);
    EXPECT_EQ(lum::LumSettings::commonDataDir("Common"), common);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, LumSettingsFolders,
    ::testing::Values(std::make_tuple(Env{"/la", "/up", "/pd", "/au", unset, unset},
                                      "/la/Aldermoor Lab/Rivulet", "/pd/Aldermoor Lab/Common"),
                      // A missing or empty variable falls back to the older folders.
                      std::make_tuple(Env{unset, "/up", unset, "/au", unset, unset},
                                      "/up/Application Data/Aldermoor Lab/Rivulet",
                                      "/au/Application Data/Aldermoor Lab/Common"),
                      std::make_tuple(Env{"", "/up", "", "/au", unset, unset},
                                      "/up/Application Data/Aldermoor Lab/Rivulet",
                                      "/au/Application Data/Aldermoor Lab/Common")));

#ifndef Q_OS_WIN
INSTANTIATE_TEST_SUITE_P(
    WithoutWindowsVariables, LumSettingsFolders,
    ::testing::Values(
        std::make_tuple(Env{unset, unset, unset, unset, "/xdg/data", unset},
                        "/xdg/data/Aldermoor Lab/Rivulet", "/xdg/data/Shared/Aldermoor Lab/Common"),
        // Without (or with a relative) XDG data home: ~/.local/share.
        std::make_tuple(Env{unset, unset, unset, unset, unset, "/home/fish"},
                        "/home/fish/.local/share/Aldermoor Lab/Rivulet",
                        "/home/fish/.local/share/Shared/Aldermoor Lab/Common"),
        std::make_tuple(Env{unset, unset, unset, unset, "relative/data", "/home/fish"},
                        "/home/fish/.local/share/Aldermoor Lab/Rivulet",
                        "/home/fish/.local/share/Shared/Aldermoor Lab/Common")));
#endif

} // namespace

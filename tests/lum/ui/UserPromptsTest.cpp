#include "lum/ui/UserPrompts.h"

#include <gtest/gtest.h>

// A file dialog opens in the folder last used, unless the caller names a folder of its own.
TEST(UserPrompts, FileDialogsStartInTheFolderLastUsed)
{
    using lum::UserPrompts;
    EXPECT_EQ(UserPrompts::startPath("report.html", ""), "report.html");
    EXPECT_EQ(UserPrompts::startPath("report.html", "/data/study"), "/data/study/report.html");
    EXPECT_EQ(UserPrompts::startPath("", "/data/study"), "/data/study");
    EXPECT_EQ(UserPrompts::startPath("/home/me/exports", "/data/study"), "/home/me/exports");
}

#include "lum/core/Expected.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace {

lum::Expected<int> parsed(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        return lum::Error(lum::JobError::Input, QStringLiteral("Not a number:"),
                          QStringLiteral("\"%1\"").arg(text), QStringLiteral("line 3"));
    return value;
}

lum::Expected<void> positive(const QString& text)
{
    const lum::Expected<int> value = parsed(text);
    if (!value)
        return value.error();
    if (*value <= 0)
        return lum::Error(lum::JobError::Input, QStringLiteral("Not positive."));
    return {};
}

TEST(Expected, CarriesTheValueOrTheErrorThatSaysWhyThereIsNone)
{
    const lum::Expected<int> seven = parsed("7");
    ASSERT_TRUE(seven.ok());
    EXPECT_EQ(*seven, 7);
    EXPECT_EQ(parsed("x").valueOr(-1), -1);

    const lum::Expected<int> bad = parsed("x");
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().code, lum::JobError::Input);
    EXPECT_EQ(bad.error().text(), "Not a number: \"x\"");
    EXPECT_EQ(bad.error().where, "line 3");

    // Passed on through an operation without a value, unchanged.
    EXPECT_TRUE(positive("4"));
    EXPECT_EQ(positive("x").error().text(), "Not a number: \"x\"");
    EXPECT_EQ(positive("0").error().text(), "Not positive.");
}

TEST(Expected, HoldsValuesThatOnlyMove)
{
    lum::Expected<std::unique_ptr<QStringList>> list =
        std::make_unique<QStringList>(QStringList{"a", "b"});
    ASSERT_TRUE(list);
    const std::unique_ptr<QStringList> taken = std::move(list).value();
    EXPECT_EQ(taken->size(), 2);
}

TEST(Error, TextJoinsTheMessageAndTheReasonWhicheverIsGiven)
{
    EXPECT_EQ(lum::Error(lum::JobError::File, "Can't write \"a\".", "Disk full").text(),
              "Can't write \"a\". Disk full");
    EXPECT_EQ(lum::Error(lum::JobError::File, "Can't write \"a\".").text(), "Can't write \"a\".");
    EXPECT_EQ(lum::Error(lum::JobError::File, QString(), "Disk full").text(), "Disk full");
    EXPECT_EQ(lum::Error().code, lum::JobError::Failed);
}

} // namespace

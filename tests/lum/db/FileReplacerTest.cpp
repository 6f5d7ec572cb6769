#include "lum/db/FileReplacer.h"

#include "common/FileSizeLimit.h"
#include "common/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

using rivulet::test::FileSizeLimit;
using rivulet::test::TestEnvironment;

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

TEST(FileReplacerTest, FailedWriteKeepsTheOldFileAndNamesTheSystemsReason)
{
    const QString dir = TestEnvironment::freshDir("replacer-full");
    const QString path = dir + "/counts.txt";
    ASSERT_TRUE(lum::FileReplacer(path).replace("old and good\n"));
    lum::FileReplacer file(path);
    {
        const FileSizeLimit full(4);
        EXPECT_FALSE(file.replace(QByteArray(1000, 'x')));
    }
    EXPECT_FALSE(file.failedToOpen());
    EXPECT_EQ(file.reason(), "File too large");
    EXPECT_EQ(file.errorString(), "Unable to write file \"" + path + "\": File too large");
    EXPECT_EQ(contentOf(path), "old and good\n");
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{"counts.txt"});
}

// A pipe was replaced by a regular file of its name, and the write reported as done.
TEST(FileReplacerTest, APipeOrADeviceIsRefusedAndLeftInPlace)
{
    const QString fifo = TestEnvironment::freshDir("replacer-fifo") + "/pipe";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {fifo, QStringLiteral("/dev/null")}) {
        lum::FileReplacer file(path);
        EXPECT_FALSE(file.replace("text\n")) << path.toStdString();
        EXPECT_TRUE(file.failedToOpen());
        EXPECT_TRUE(file.reason().contains("not a regular file")) << file.reason().toStdString();
    }
    EXPECT_FALSE(QFileInfo(fifo).isFile());
    EXPECT_TRUE(QFileInfo(fifo).exists());
}

TEST(FileReplacerTest, FolderIsRefusedBeforeWriting)
{
    const QString dir = TestEnvironment::freshDir("replacer-folder");
    lum::FileReplacer file(dir);
    EXPECT_FALSE(file.replace("a"));
    EXPECT_TRUE(file.failedToOpen());
    EXPECT_TRUE(QFileInfo(dir).isDir());
}

} // namespace

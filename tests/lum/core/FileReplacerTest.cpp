#include "lum/core/FileReplacer.h"

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
    const lum::Expected<void> written = [&path] {
        const FileSizeLimit full(4);
        return lum::FileReplacer(path).replace(QByteArray(1000, 'x'));
    }();
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().code, lum::JobError::File);
    EXPECT_EQ(written.error().message, lum::FileReplacer::cantWriteMessage(path));
    EXPECT_EQ(written.error().reason, "File too large");
    EXPECT_EQ(written.error().text(), "Unable to write file \"" + path + "\": File too large");
    EXPECT_EQ(contentOf(path), "old and good\n");
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{"counts.txt"});
}

// A pipe was replaced by a regular file of its name, and the write reported as done.
TEST(FileReplacerTest, APipeOrADeviceIsRefusedAndLeftInPlace)
{
    const QString fifo = TestEnvironment::freshDir("replacer-fifo") + "/pipe";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {fifo, QStringLiteral("/dev/null")}) {
        const lum::Expected<void> written = lum::FileReplacer(path).replace("text\n");
        ASSERT_FALSE(written) << path.toStdString();
        EXPECT_EQ(written.error().message, lum::FileReplacer::cantOpenMessage(path));
        EXPECT_TRUE(written.error().reason.contains("not a regular file"))
            << written.error().reason.toStdString();
    }
    EXPECT_FALSE(QFileInfo(fifo).isFile());
    EXPECT_TRUE(QFileInfo(fifo).exists());
}

TEST(FileReplacerTest, FolderIsRefusedBeforeWriting)
{
    const QString dir = TestEnvironment::freshDir("replacer-folder");
    const lum::Expected<void> written = lum::FileReplacer(dir).replace("a");
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().text(),
              "Unable to open file \"" + dir + "\" for writing: It is a folder.");
    EXPECT_TRUE(QFileInfo(dir).isDir());
}

} // namespace

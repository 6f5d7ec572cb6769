#include "lum/report/ReportWriter.h"

#include "common/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

using rivulet::test::TestEnvironment;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(ReportWriterTest, WritesHtmlCsvAndStreamsIntoNewFoldersReplacingOldFiles)
{
    const QString dir = TestEnvironment::freshDir("writer-ok");
    writeFile(dir + "/out.csv", "old content that is longer than the new one\n");
    const lum::ReportWriter writer;
    const lum::Expected<void> unnamed = writer.writeCsv(QString(), "a");
    ASSERT_FALSE(unnamed);
    EXPECT_EQ(unnamed.error().text(), "Can't open \"\" for writing. No file name given.");
    ASSERT_TRUE(writer.writeHtml(dir + "/report.rtf", "<html><body>Å</body></html>"));
    EXPECT_EQ(QString::fromUtf8(readAll(dir + "/report.rtf")), "<html><body>Å</body></html>\n");
    ASSERT_TRUE(writer.writeCsv(dir + "/out.csv", "a,b\n1,2\n"));
    EXPECT_EQ(readAll(dir + "/out.csv"), QByteArray("a,b\n1,2\n"));
    const lum::Expected<void> streamed = writer.writeStream(
        dir + "/a/b/c.csv", [](QTextStream& out) { out << "x," << 2.5 << '\n'; });
    ASSERT_TRUE(streamed) << qPrintable(streamed.error().text());
    EXPECT_EQ(readAll(dir + "/a/b/c.csv"), QByteArray("x,2.5\n"));
    EXPECT_EQ(entriesOf(dir), (QStringList{"a", "out.csv", "report.rtf"}));
    EXPECT_EQ(lum::ReportWriter::createdMessage(dir + "/out.csv"),
              "File \"" + dir + "/out.csv\" created.");
}

TEST(ReportWriterTest, PathThatCannotBeAFileFailsNamingItAndLeavesTheFolderAlone)
{
    const QString dir = TestEnvironment::freshDir("writer-nofolder");
    writeFile(dir + "/blocker", "a file where a folder should be");
    ASSERT_TRUE(QDir(dir).mkdir("taken.csv"));
    const lum::ReportWriter writer;
    const QString underFile = dir + "/blocker/sub/report.rtf";
    const lum::Expected<void> blocked = writer.writeHtml(underFile, "<p>x</p>");
    ASSERT_FALSE(blocked);
    EXPECT_EQ(blocked.error().code, lum::JobError::File);
    EXPECT_EQ(blocked.error().message, "Can't open \"" + underFile + "\" for writing.");
    EXPECT_TRUE(blocked.error().reason.contains(dir + "/blocker/sub"))
        << qPrintable(blocked.error().reason);
    const lum::Expected<void> taken = writer.writeCsv(dir + "/taken.csv", "a\n");
    ASSERT_FALSE(taken);
    EXPECT_EQ(taken.error().message, "Can't open \"" + dir + "/taken.csv\" for writing.");
    EXPECT_TRUE(QFileInfo(dir + "/taken.csv").isDir());
    EXPECT_EQ(entriesOf(dir), (QStringList{"blocker", "taken.csv"}));
    EXPECT_EQ(readAll(dir + "/blocker"), QByteArray("a file where a folder should be"));
}

TEST(ReportWriterTest, FailedWriteKeepsTheOldFileAndLeavesNoTemporary)
{
    const QString dir = TestEnvironment::freshDir("writer-fail");
    const QString path = dir + "/out.csv";
    writeFile(path, "previous\n");
    const lum::Expected<void> written = lum::ReportWriter().writeStream(path, [](QTextStream& out) {
        out << "partial,";
        out.setStatus(QTextStream::WriteFailed);
    });
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().message, "Can't write \"" + path + "\".");
    EXPECT_EQ(readAll(path), QByteArray("previous\n"));
    EXPECT_EQ(entriesOf(dir), QStringList{"out.csv"});
}

TEST(ReportWriterTest, ReadOnlyFolderFailsWithoutLeavingAFile)
{
    const QString dir = TestEnvironment::freshDir("writer-readonly");
    const QString path = dir + "/report.rtf";
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    // A privileged user writes into read-only folders anyway; the check is
    // then meaningless, so find out first.
    const bool bypassed = QFile(dir + "/probe").open(QIODevice::WriteOnly);
    QFile::remove(dir + "/probe");
    if (bypassed) {
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner);
        GTEST_SKIP() << "file permissions are not enforced for this user";
    }
    const lum::Expected<void> written = lum::ReportWriter().writeHtml(path, "<p>x</p>");
    QFile::setPermissions(dir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().message, "Can't open \"" + path + "\" for writing.");
    EXPECT_FALSE(written.error().reason.isEmpty());
    EXPECT_TRUE(entriesOf(dir).isEmpty());
}

} // namespace

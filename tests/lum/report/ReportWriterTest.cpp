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

TEST(ReportWriterTest, HtmlIsWrittenWithATrailingLineEnd)
{
    const QString dir = TestEnvironment::freshDir("writer-html");
    const QString path = dir + "/report.rtf";
    lum::ReportWriter writer;
    ASSERT_TRUE(writer.writeHtml(path, "<html><body>Å</body></html>"));
    EXPECT_TRUE(writer.errorString().isEmpty());
    EXPECT_EQ(QString::fromUtf8(readAll(path)), QString("<html><body>Å</body></html>\n"));
    EXPECT_EQ(entriesOf(dir), QStringList{"report.rtf"});
}

TEST(ReportWriterTest, CsvTextIsWrittenAsGivenAndReplacesAnOldFile)
{
    const QString dir = TestEnvironment::freshDir("writer-csv");
    const QString path = dir + "/out.csv";
    writeFile(path, "old content that is longer than the new one\n");
    lum::ReportWriter writer;
    ASSERT_TRUE(writer.writeCsv(path, "a,b\n1,2\n"));
    EXPECT_EQ(readAll(path), QByteArray("a,b\n1,2\n"));
    EXPECT_EQ(lum::ReportWriter::createdMessage(path), "File \"" + path + "\" created.");
}

TEST(ReportWriterTest, StreamWriterOutputAndMissingFoldersAreCreated)
{
    const QString dir = TestEnvironment::freshDir("writer-stream");
    const QString path = dir + "/a/b/c.csv";
    lum::ReportWriter writer;
    ASSERT_TRUE(writer.writeStream(path, [](QTextStream& out) { out << "x," << 2.5 << '\n'; }))
        << qPrintable(writer.reason());
    EXPECT_EQ(readAll(path), QByteArray("x,2.5\n"));
}

TEST(ReportWriterTest, FolderThatCannotBeCreatedFailsNamingTheFile)
{
    const QString dir = TestEnvironment::freshDir("writer-nofolder");
    writeFile(dir + "/blocker", "a file where a folder should be");
    const QString path = dir + "/blocker/sub/report.rtf";
    lum::ReportWriter writer;
    EXPECT_FALSE(writer.writeHtml(path, "<p>x</p>"));
    EXPECT_EQ(writer.errorString(), "Can't open \"" + path + "\" for writing.");
    EXPECT_TRUE(writer.reason().contains(dir + "/blocker/sub")) << qPrintable(writer.reason());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(entriesOf(dir), QStringList{"blocker"});
}

TEST(ReportWriterTest, FolderAsTargetFailsAndStaysUntouched)
{
    const QString dir = TestEnvironment::freshDir("writer-isdir");
    ASSERT_TRUE(QDir(dir).mkdir("taken.csv"));
    lum::ReportWriter writer;
    EXPECT_FALSE(writer.writeCsv(dir + "/taken.csv", "a\n"));
    EXPECT_EQ(writer.errorString(), "Can't open \"" + dir + "/taken.csv\" for writing.");
    EXPECT_TRUE(QFileInfo(dir + "/taken.csv").isDir());
    EXPECT_EQ(entriesOf(dir), QStringList{"taken.csv"});
}

TEST(ReportWriterTest, FailedWriteKeepsTheOldFileAndLeavesNoTemporary)
{
    const QString dir = TestEnvironment::freshDir("writer-fail");
    const QString path = dir + "/out.csv";
    writeFile(path, "previous\n");
    lum::ReportWriter writer;
    const bool ok = writer.writeStream(path, [](QTextStream& out) {
        out << "partial,";
        out.setStatus(QTextStream::WriteFailed);
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(writer.errorString(), "Can't write \"" + path + "\".");
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
    lum::ReportWriter writer;
    const bool ok = writer.writeHtml(path, "<p>x</p>");
    QFile::setPermissions(dir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(ok);
    EXPECT_EQ(writer.errorString(), "Can't open \"" + path + "\" for writing.");
    EXPECT_FALSE(writer.reason().isEmpty());
    EXPECT_TRUE(entriesOf(dir).isEmpty());
}

TEST(ReportWriterTest, ErrorIsClearedBySuccessfulWrite)
{
    const QString dir = TestEnvironment::freshDir("writer-reuse");
    lum::ReportWriter writer;
    ASSERT_FALSE(writer.writeCsv(QString(), "a"));
    ASSERT_TRUE(writer.writeCsv(dir + "/ok.csv", "a"));
    EXPECT_TRUE(writer.errorString().isEmpty());
    EXPECT_TRUE(writer.reason().isEmpty());
}

} // namespace

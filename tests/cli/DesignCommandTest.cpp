#include "StudyToolFixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace rivulet::test {
namespace {

using DesignCommand = StudyToolFixture;

// Every file of the study's database (the journal files too, should there be any).
std::map<QString, QByteArray> databaseFiles(const QString& db)
{
    std::map<QString, QByteArray> files;
    const QFileInfo info(db);
    for (const QFileInfo& file :
         QDir(info.absolutePath()).entryInfoList({info.fileName() + "*"}, QDir::Files))
        files[file.fileName()] = fileContents(file.filePath());
    return files;
}

// On the sample: the survival to the final site is printed with the answer to the target,
// design.csv has a row per fish number and quantity, and the database is left as it was.
TEST_F(DesignCommand, WritesTheTableAnswersTheTargetAndLeavesTheDatabaseAsItWas)
{
    const QString dir = TestEnvironment::freshDir("design-sample");
    const QString db = dir + "/sample.db";
    ASSERT_TRUE(QFile::copy(sampleDatabase(), db));
    const QStringList tool{"--db", db, "--sites-config", sample("sites_config.txt")};
    ASSERT_EQ(runTool(tool + QStringList{"update"}).exitCode, 0);
    const std::map<QString, QByteArray> before = databaseFiles(db);

    const ToolRun run =
        runTool(tool + QStringList{"design", "--fish", "2000,500", "--replicates", "6", "--seed",
                                   "3", "--target", "final:10%", "--out", dir + "/out"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(databaseFiles(db), before);

    static const QRegularExpression answer(
        "^Target CV 0.1 on final: (\\d+) fish per release \\(survival .+ needs the most\\)",
        QRegularExpression::MultilineOption);
    EXPECT_TRUE(answer.match(run.out).hasMatch()) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("% simulating and ")) << run.out.toStdString();

    const QStringList lines =
        QString::fromUtf8(fileContents(dir + "/out/design.csv")).split('\n', Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 4);
    EXPECT_EQ(lines.first(), "fish,quantity,truth,mean,sd,mean_se,expected_se,cv,coverage");
    int few = 0;
    int many = 0;
    for (const QString& line : lines.mid(1)) {
        few += line.startsWith("500,");
        many += line.startsWith("2000,");
    }
    EXPECT_EQ(few, many);
    EXPECT_EQ(few + many, lines.size() - 1);
    EXPECT_EQ(
        run.out.count(QRegularExpression("^ +500  survival ", QRegularExpression::MultilineOption)),
        run.out.count(
            QRegularExpression("^ +2000  survival ", QRegularExpression::MultilineOption)));
}

TEST_F(DesignCommand, RefusesBadArgumentsAsUsageErrors)
{
    const QString dir = TestEnvironment::freshDir("design-usage");
    ASSERT_TRUE(QFile::copy(sampleDatabase(), dir + "/sample.db"));
    const QStringList tool{"--db", dir + "/sample.db", "design"};
    const std::vector<std::pair<QStringList, const char*>> refused = {
        {{}, "needs --fish"},
        {{"--fish", "100,abc"}, "option --fish"},
        {{"--fish", "100,100"}, "option --fish"},
        {{"--fish", "100", "--target", "final"}, "option --target"},
        {{"--fish", "100", "--replicates", "1"}, "option --replicates"},
        {{"--fish", "100", "--model", "NoSuchModel"}, "unknown model \"NoSuchModel\""},
    };
    for (const auto& [arguments, message] : refused) {
        const ToolRun run = runTool(tool + arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(message)) << run.err.toStdString();
    }
}

} // namespace
} // namespace rivulet::test

// What the tool says, and its exit code, must match what the database holds after a Ctrl-C,
// a second process writing at the same time, or a file that is not the tool's.
#include "cli/CliApp.h"
#include "cli/CliCommand.h"
#include "cli/CliOutput.h"
#include "lum/db/SqliteDb.h"

#include "StudyToolFixture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>

#include <csignal>

namespace rivulet::test {
namespace {

using cli::CliApp;
using cli::CliOutput;

// An output stream that presses Ctrl-C the moment `trigger` is printed (after `armedBy`, when
// given), that is while the job that printed it is still being followed.
class InterruptingDevice : public QBuffer
{
public:
    InterruptingDevice(QString trigger, QString armedBy)
        : m_trigger(std::move(trigger)), m_armedBy(std::move(armedBy))
    {
        open(QIODevice::WriteOnly);
    }
    bool interrupted = false;

protected:
    qint64 writeData(const char* data, qint64 size) override
    {
        const QString text = QString::fromUtf8(data, int(size));
        if (!interrupted && m_armedBy.isEmpty() && text.contains(m_trigger)) {
            interrupted = true;
            std::raise(SIGINT);
        }
        if (!m_armedBy.isEmpty() && text.contains(m_armedBy))
            m_armedBy.clear();
        return QBuffer::writeData(data, size);
    }

private:
    QString m_trigger;
    QString m_armedBy;
};

struct InterruptedRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

InterruptedRun runInterrupted(const QStringList& arguments, const QString& trigger,
                              bool onErrorStream = false, const QString& armedBy = {})
{
    InterruptingDevice device(trigger, armedBy);
    QString other;
    QTextStream deviceStream(&device);
    QTextStream otherStream(&other);
    // Progress shown, so that a job that prints no status line still writes to standard error.
    CliOutput output(onErrorStream ? otherStream : deviceStream,
                     onErrorStream ? deviceStream : otherStream, onErrorStream);
    InterruptedRun run;
    run.exitCode = CliApp::run(arguments, output);
    deviceStream.flush();
    const QString written = QString::fromUtf8(device.data());
    run.out = onErrorStream ? other : written;
    run.err = onErrorStream ? written : other;
    EXPECT_TRUE(device.interrupted) << "never saw " << trigger.toStdString();
    return run;
}

class StoredOutcome : public StudyToolFixture
{
protected:
    void SetUp() override
    {
        dir = TestEnvironment::freshDir("cli-outcome");
        db = dir + "/study.db";
    }
    QStringList with(const QStringList& arguments) const
    {
        return QStringList{"--db", db, "--sites-config", sample("sites_config.txt")} + arguments;
    }
    QString dir;
    QString db;
};

// Interruption: Ctrl-C once "Updating" is printed comes after the new study is committed. The
// tool said "Load Data canceled." and exited 1 while the study had been replaced.
TEST_F(StoredOutcome, CtrlCAfterTheLoadIsStoredSaysSoWithItsOwnExitCode)
{
    const InterruptedRun load = runInterrupted(
        with({"load-observations", sample("observations.csv")}), QStringLiteral("Updating"));
    EXPECT_EQ(load.exitCode, cli::ExitStoredThenCanceled) << load.err.toStdString();
    EXPECT_TRUE(load.err.contains("Ctrl-C came after the new study was stored"))
        << load.err.toStdString();
    EXPECT_TRUE(load.out.contains("Stored:")) << load.out.toStdString();
    const ToolRun releases = runTool(with({"releases"}));
    EXPECT_EQ(releases.exitCode, 0);
    EXPECT_TRUE(releases.out.contains("ALDUPR 2008")) << releases.out.toStdString();

    // An edit whose second update (the one that follows the stored change) is interrupted at
    // its first progress, once the first update's progress line was cleared.
    const InterruptedRun edit = runInterrupted(with({"releases", "exclude", "ALDUPR 2008"}),
                                               QStringLiteral("%"), true, QStringLiteral("    \r"));
    EXPECT_EQ(edit.exitCode, cli::ExitStoredThenCanceled) << edit.err.toStdString();
    EXPECT_TRUE(edit.err.contains("the change was stored")) << edit.err.toStdString();
    EXPECT_TRUE(
        runTool(with({"releases"})).out.contains(QRegularExpression("ALDUPR 2008 +excluded")));
}

// Races: an edit that finds another process writing said "No release ..." (or nothing) and
// changed nothing; it must name the other writer and leave the study as it was.
TEST_F(StoredOutcome, AnEditWhileAnotherProcessWritesSaysSoAndChangesNothing)
{
    ASSERT_EQ(runTool(with({"load-observations", sample("observations.csv")})).exitCode, 0);
    ASSERT_EQ(runTool(with({"update"})).exitCode, 0);
    lum::SqliteDb other;
    ASSERT_TRUE(other.open(db));
    ASSERT_TRUE(other.beginTransaction());
    for (const QStringList& edit :
         {QStringList{"releases", "exclude", "ALDUPR 2008"}, QStringList{"cohort", "all"}}) {
        const ToolRun run = runTool(with(edit));
        EXPECT_EQ(run.exitCode, cli::ExitFailure) << edit.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("Another process is writing")) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("No release")) << run.err.toStdString();
    }
    ASSERT_TRUE(other.rollback());
    EXPECT_TRUE(
        runTool(with({"releases"})).out.contains(QRegularExpression("ALDUPR 2008 +included")));
}

// Damaged files: another program's SQLite file got seven tables and the WAL journal; a study
// file without one of its tables got an empty one.
TEST_F(StoredOutcome, AnotherProgramsDatabaseIsRefusedAndLeftAsItWas)
{
    const QString foreign = dir + "/other.sqlite";
    {
        lum::SqliteDb file;
        ASSERT_TRUE(file.open(foreign));
        ASSERT_TRUE(file.exec("PRAGMA journal_mode=DELETE"));
        ASSERT_TRUE(file.exec("create table notes (id integer primary key, text)"));
        ASSERT_TRUE(file.exec("insert into notes (text) values ('keep me')"));
    }
    const QByteArray before = fileContents(foreign);
    const ToolRun info = runTool({"--db", foreign, "info"});
    EXPECT_EQ(info.exitCode, cli::ExitFailure);
    EXPECT_TRUE(info.err.contains("was not made by this program")) << info.err.toStdString();
    EXPECT_TRUE(info.err.contains("notes")) << info.err.toStdString();
    EXPECT_EQ(fileContents(foreign), before);
    EXPECT_FALSE(QFileInfo::exists(foreign + "-wal"));

    // The tool's own files, new or made before they were stamped, still open.
    ASSERT_EQ(runTool(with({"load-observations", sample("observations.csv")})).exitCode, 0);
    {
        lum::SqliteDb file;
        ASSERT_TRUE(file.open(db));
        ASSERT_TRUE(file.exec("PRAGMA application_id=0"));
    }
    EXPECT_EQ(runTool(with({"info"})).exitCode, 0);

    // Detections naming a site the file no longer holds were skipped without a word.
    {
        lum::SqliteDb file;
        ASSERT_TRUE(file.open(db));
        ASSERT_TRUE(file.exec("delete from sites where id = (select site_id from observations "
                              "where site_id in (select id from sites where active_sequence >= 0) "
                              "limit 1)"));
    }
    const ToolRun dangling = runTool(with({"update"}));
    EXPECT_EQ(dangling.exitCode, cli::ExitFailure);
    EXPECT_TRUE(dangling.err.contains("The database is damaged: a detection names site id"))
        << dangling.err.toStdString();

    // Tags naming a release, and detections naming a tag, that the file no longer holds.
    for (const auto& damage :
         {std::make_pair("delete from releases where id = (select min(release_id) from tags)",
                         "names release id"),
          std::make_pair("insert into observations (tag_id, site_id, migration_year_id) select "
                         "'ZZZ.UNKNOWN', site_id, migration_year_id from observations limit 1",
                         "a detection names tag \"ZZZ.UNKNOWN\"")}) {
        ASSERT_EQ(runTool(with({"load-observations", sample("observations.csv")})).exitCode, 0);
        {
            lum::SqliteDb file;
            ASSERT_TRUE(file.open(db));
            ASSERT_TRUE(file.exec(damage.first));
        }
        const ToolRun skipped = runTool(with({"update"}));
        EXPECT_EQ(skipped.exitCode, cli::ExitFailure);
        EXPECT_TRUE(skipped.err.contains(damage.second)) << skipped.err.toStdString();
    }

    // A study file that lost a table was given an empty one: "Releases: 0", exit 0.
    {
        lum::SqliteDb file;
        ASSERT_TRUE(file.open(db));
        ASSERT_TRUE(file.exec("drop table releases"));
    }
    const ToolRun damaged = runTool(with({"update"}));
    EXPECT_EQ(damaged.exitCode, cli::ExitFailure);
    EXPECT_TRUE(damaged.err.contains("is damaged: the tables releases are missing"))
        << damaged.err.toStdString();
}

} // namespace
} // namespace rivulet::test

#pragma once

#include "common/TestEnvironment.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace rivulet::test {

// The exit code and output of one run of the built tool; exit code -1 when it did not finish.
struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

inline ToolRun runTool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(RIVULET_CLI_BINARY), arguments);
    ToolRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

inline QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

inline void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(content), content.size());
}

// A release site above the detection site LGR (code GRJ) and the final site BON.
inline const char* const kSmallSites =
    "CONFIGDATE: 2012.3.4\n"
    "RELSITE: UPR\nRIVERK: 522.303.100\n"
    "SITE: LGR\nRIVERK: 522.173\nCODES: GRJ\n"
    "SITE: BON\nRIVERK: 234\n"
    "CODE: GRJ\nRANGE: 2005-01-01 present\nR: J: 1: River {01}\n";

// One row of an observations export: a fish released at UPR on 2008-04-01, and seen at `site`
// at `obsTime` (or nowhere).
inline QByteArray observationRow(const QByteArray& tag, const char* obsTime = "",
                                 const char* site = "")
{
    return "M,x," + tag + ",,2008-04-01 10:00:00,,,,,,,UPR,,,," + obsTime + "," + site + ",01,\n";
}

// Runs the built tool on the bundled sample study: its sites configuration and export are
// loaded once, into a database shared by the cases of a suite.
class StudyToolFixture : public ::testing::Test
{
protected:
    static QString sample(const QString& name)
    {
        return TestEnvironment::sourceDir() + QStringLiteral("/data/sample/") + name;
    }

    // The database holding the sample study, loaded on first use.
    static QString sampleDatabase()
    {
        static QString path;
        if (path.isEmpty()) {
            const QString file = TestEnvironment::freshDir("sample-study") + "/sample.db";
            const ToolRun load =
                runTool({"--db", file, "--sites-config", sample("sites_config.txt"),
                         "load-observations", sample("observations.csv")});
            EXPECT_EQ(load.exitCode, 0) << load.err.toStdString();
            if (load.exitCode == 0)
                path = file;
        }
        return path;
    }
};

// Two releases in one year, at sites 0 and 1 (which also detects), detection sites 1 to 3
// and the final site 4; 1500 fish each, simulated with parameters shared by both releases.
inline const char* const kTwoReleases = "2 5 1\n0 1\n0 0\n1500 1500\n\n"
                                        "387\n699\n292\n86\n36\n"
                                        "211\n370 \n79 \n39 \n297\n242 \n123 \n262\n145 \n"
                                        "466\n762\n188\n84\n"
                                        "363\n277 \n122 \n297\n168 \n";

// Runs the tool on those counts as a counts-file study, with a settings database of the case's own.
class CountsFileFixture : public StudyToolFixture
{
protected:
    void SetUp() override
    {
        dir = TestEnvironment::freshDir("cli-counts");
        counts = dir + "/counts.txt";
        writeFile(counts, kTwoReleases);
    }

    ToolRun onCounts(const QStringList& arguments) const
    {
        return runTool(QStringList{"--db", dir + "/settings.db", "--counts", counts} + arguments);
    }

    QString dir;
    QString counts;
};

} // namespace rivulet::test

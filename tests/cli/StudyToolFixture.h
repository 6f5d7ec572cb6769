#pragma once

#include "common/TestEnvironment.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace rivulet::test {

// Runs the built tool on the bundled sample study: its sites configuration and export are
// loaded once, into a database shared by the cases of a suite.
class StudyToolFixture : public ::testing::Test
{
protected:
    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    static Run tool(const QStringList& arguments)
    {
        QProcess process;
        process.start(QStringLiteral(RIVULET_CLI_BINARY), arguments);
        Run run;
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
            return run;
        run.exitCode = process.exitCode();
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    static QString sample(const QString& name)
    {
        return TestEnvironment::sourceDir() + QStringLiteral("/data/sample/") + name;
    }

    static QByteArray contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    }

    static void write(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(content), content.size());
    }

    // Runs statements on a database file through a connection of the test's own.
    static bool execOn(const QString& file, const QStringList& statements)
    {
        const QString name = QStringLiteral("study-tool-fixture");
        bool ok = true;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(file);
            ok = db.open();
            for (const QString& statement : statements) {
                QSqlQuery query(db);
                ok = ok && query.exec(statement);
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        return ok;
    }

    // The database holding the sample study, loaded on first use.
    static QString sampleDatabase()
    {
        static QString path;
        if (path.isEmpty()) {
            const QString file = TestEnvironment::freshDir("sample-study") + "/sample.db";
            const Run load = tool({"--db", file, "--sites-config", sample("sites_config.txt"),
                                   "load-observations", sample("observations.csv")});
            EXPECT_EQ(load.exitCode, 0) << load.err.toStdString();
            if (load.exitCode == 0)
                path = file;
        }
        return path;
    }
};

} // namespace rivulet::test

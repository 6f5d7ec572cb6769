#pragma once

#include <QString>
#include <QStringList>

namespace rivulet {

class RivuletDb;

// What a start needs to know.
struct StartupOptions
{
    // The command line; "--counts" or "-mock" (exactly) anywhere in it makes the study a
    // counts file of simulated data.
    QStringList arguments;
    // A database file to use instead of the per-user one. With it a new
    // file does not reset the user's settings, and a file that cannot be
    // used stops the start (it is never overwritten).
    QString databasePath;
};

// How the start went.
struct StartupResult
{
    QString databasePath;
    // No database file existed before the start.
    bool newDatabase = false;
    // The database is open with every table of the schema.
    bool databaseReady = false;
    // Why the database cannot be used; empty when it can.
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// The start-up shared by the window program and the command-line tool:
// identity, settings, database. It needs no display and creates no widget.
class AppStartup
{
public:
    // Organisation and application names, which key the per-user settings
    // and data folders.
    static void setIdentity();
    // Whether the exact, case-sensitive switch "--counts" or its older name "-mock" is among
    // `arguments`.
    static bool hasCountsFileSwitch(const QStringList& arguments);
    // The folder of the sample study installed with the programs (share/rivulet/sample in a
    // data folder of the desktop, or beside the programs' bin/), holding its sites
    // configuration, observations and ages; empty when none is installed.
    static QString sampleStudyFolder();
    // A last place to look for the sample: the source tree's, for the program run from its
    // build folder before it is installed.
    static void setUninstalledSampleFolder(const QString& folder);
    // Sets the identity, brings up the settings, opens (or creates) the
    // database, moves the estimation settings into it and records this run
    // (clean_exit false, mock_input). When the per-user database is missing
    // or unusable, the settings are reset to their defaults first, keeping
    // the user's folders. A database failure is returned, not shown; without
    // a path override the start goes on regardless, as the window program
    // works without data until the user acts.
    static StartupResult run(const StartupOptions& options);
    // Makes the database file at `path` (created when missing) the open study of a running
    // program, as --db names one at the start, and gives it the settings a new file lacks.
    // When it cannot be used (another program's file, a newer schema, a damaged or unwritable
    // file) the error says why and the file open before is open again.
    static StartupResult openStudy(RivuletDb& db, const QString& path);

private:
    static QString prepareOverride(const QString& path, StartupResult& result);
    static bool openDatabase(RivuletDb& db, StartupResult& result);
};

} // namespace rivulet

#pragma once

#include "cli/GlobalOptions.h"
#include "rivulet/settings/AppStartup.h"

#include <memory>
#include <optional>

namespace rivulet {
class Study;
class StudyActions;
} // namespace rivulet

namespace rivulet::cli {

class CliOutput;
class TerminalTracker;

// What a command works with: the global options, the output, the database (opened on
// request with the program's own start-up), the terminal tracker that runs the jobs, and the
// study of this run.
class CliContext
{
public:
    CliContext(GlobalOptions options, CliOutput& out);
    ~CliContext();
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;

    const GlobalOptions& options() const { return m_options; }
    CliOutput& out() { return m_out; }

    // Brings up the settings and opens the database of --db (created if
    // missing), else the per-user one. Reports an error and returns false
    // when the database cannot be used. Later calls repeat the first answer.
    bool openDatabase();
    // The start-up's account; meaningful after openDatabase.
    const StartupResult& startup() const;

    // The sites configuration file of this run: --sites-config, else the
    // shared file the window program uses (its folder is created if
    // missing). Empty when the shared folder cannot be created.
    QString sitesConfigPath() const;

    // Runs jobs and shows them (created on first use).
    TerminalTracker& tracker();

    // The study of this run, without updating it: the database's (opened first), or with
    // --counts the counts file's. Null, after reporting why, when the database cannot be opened
    // or the counts file cannot be read (a malformed file is reported with its line and
    // column). The same study on later calls.
    Study* study();
    // study(), then the update job run to its end; null, after reporting why, when that
    // fails or is canceled.
    Study* updatedStudy();
    // study() (which must have succeeded), then the update job run to its end, unreported.
    // 0 when it completed, 1 when it failed, 2 when it was canceled.
    int runUpdate();
    // The actions of study() on the tracker's runner (valid after study() succeeded).
    StudyActions actions();

private:
    GlobalOptions m_options;
    CliOutput& m_out;
    std::optional<StartupResult> m_startup;
    std::unique_ptr<TerminalTracker> m_tracker;
    std::unique_ptr<Study> m_study;
};

} // namespace rivulet::cli

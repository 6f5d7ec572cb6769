#pragma once

#include "cli/GlobalOptions.h"
#include "rivulet/data/AppStartup.h"

#include <memory>
#include <optional>

namespace rivulet::cli {

class CliJobRunner;
class CliOutput;

// What a command works with: the global options, the output, the database
// (opened on request with the program's own start-up) and a job runner.
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

    // Runs jobs and waits for them (created on first use).
    CliJobRunner& jobs();

private:
    GlobalOptions m_options;
    CliOutput& m_out;
    std::optional<StartupResult> m_startup;
    std::unique_ptr<CliJobRunner> m_jobs;
};

} // namespace rivulet::cli

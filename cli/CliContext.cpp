#include "cli/CliContext.h"

#include "cli/CliJobRunner.h"
#include "cli/CliOutput.h"
#include "rivulet/data/RivuletSettings.h"

#include <QDir>

namespace rivulet::cli {

CliContext::CliContext(GlobalOptions options, CliOutput& out)
    : m_options(std::move(options)), m_out(out)
{
}

CliContext::~CliContext() = default;

bool CliContext::openDatabase()
{
    if (!m_startup) {
        StartupOptions startupOptions;
        startupOptions.databasePath = m_options.databasePath;
        m_startup = AppStartup::run(startupOptions);
        if (!m_startup->ok())
            m_out.error(m_startup->error);
    }
    return m_startup->ok() && m_startup->databaseReady;
}

const StartupResult& CliContext::startup() const
{
    static const StartupResult notStarted;
    return m_startup ? *m_startup : notStarted;
}

QString CliContext::sitesConfigPath() const
{
    if (!m_options.sitesConfigPath.isEmpty())
        return m_options.sitesConfigPath;
    AppStartup::setIdentity();
    RivuletSettings& settings = RivuletSettings::instance();
    const QString folder = settings.sitesConfigDir();
    if (folder.isEmpty())
        return {};
    return folder + QDir::separator() +
           settings.value(RivuletSettings::SitesConfigFileName).toString();
}

CliJobRunner& CliContext::jobs()
{
    if (!m_jobs)
        m_jobs = std::make_unique<CliJobRunner>(m_out);
    return *m_jobs;
}

} // namespace rivulet::cli

#include "cli/CliContext.h"

#include "cli/CliOutput.h"
#include "cli/TerminalTracker.h"
#include "rivulet/counts/DataUpdater.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/settings/RivuletSettings.h"
#include "rivulet/study/Study.h"
#include "rivulet/study/StudyActions.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

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
    return folder + QDir::separator() + settings.sitesConfigFileName();
}

TerminalTracker& CliContext::tracker()
{
    if (!m_tracker)
        m_tracker = std::make_unique<TerminalTracker>(m_out);
    return *m_tracker;
}

Study* CliContext::study()
{
    if (m_study)
        return m_study.get();
    const QString countsFile = m_options.countsFile;
    if (countsFile.isEmpty()) {
        if (!openDatabase())
            return nullptr;
        auto study = std::make_unique<Study>(Study::Database, RivuletDb::instance());
        study->setSitesConfigPath(sitesConfigPath());
        m_study = std::move(study);
        return m_study.get();
    }
    QFile file(countsFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        m_out.error(QStringLiteral("No such file: %1").arg(countsFile));
        return nullptr;
    }
    auto study = std::make_unique<Study>(Study::CountsFile, RivuletDb::instance());
    QTextStream in(&file);
    if (const lum::Expected<void> read = study->readCountsFile(in); !read) {
        m_out.error(QStringLiteral("%1: %2").arg(countsFile, read.error().text()));
        return nullptr;
    }
    m_study = std::move(study);
    return m_study.get();
}

Study* CliContext::updatedStudy()
{
    Study* opened = study();
    if (!opened)
        return nullptr;
    switch (runUpdate()) {
    case 0:
        return opened;
    case 2:
        m_out.warning(QStringLiteral("Update canceled."));
        return nullptr;
    default:
        break;
    }
    return nullptr;
}

int CliContext::runUpdate()
{
    const auto update = actions().update();
    switch (tracker().run(*update)) {
    case TerminalTracker::Complete:
        return 0;
    case TerminalTracker::Canceled:
        return 2;
    case TerminalTracker::Failed:
        break;
    }
    return 1;
}

StudyActions CliContext::actions()
{
    return StudyActions(*m_study, tracker().runner());
}

} // namespace rivulet::cli

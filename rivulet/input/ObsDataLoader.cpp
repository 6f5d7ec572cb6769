#include "rivulet/input/ObsDataLoader.h"

#include "lum/db/DbTransaction.h"
#include "lum/db/SqliteDb.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/input/DataFileReader.h"
#include "rivulet/input/ObsExportReader.h"
#include "rivulet/input/ObsStudyWriter.h"
#include "rivulet/settings/RivuletSettings.h"
#include "rivulet/sitesconfig/SitesConfig.h"
#include "rivulet/sitesconfig/SitesConfigAppSettings.h"
#include "rivulet/sitesconfig/SitesConfigLoader.h"

#include <QHash>
#include <QPair>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace rivulet {

namespace {

// How often (in lines) a long load looks for a cancel request.
constexpr int cancelCheckLines = 4096;

} // namespace

ObsDataLoader::ObsDataLoader(QString fileName, ReleasesController* releases, SitesController* sites,
                             YearsController* years, QString sitesConfigPath,
                             lum::ThreadRunner* runner, RivuletDb* rdb)
    : lum::ThreadRunnable(runner), m_fileName(std::move(fileName)),
      m_sitesConfigPath(std::move(sitesConfigPath)), m_releases(releases), m_sites(sites),
      m_years(years), m_rdb(rdb ? rdb : &RivuletDb::instance()),
      m_ownConfig(std::make_unique<SitesConfig>()), m_config(m_ownConfig.get()),
      m_appSettings(std::make_unique<SitesConfigAppSettings>(RivuletSettings::instance()))
{
    m_settings = m_appSettings.get();
}

ObsDataLoader::~ObsDataLoader() = default;

void ObsDataLoader::setSitesConfig(SitesConfig* config, SitesConfigSettingsI* settings)
{
    m_config = config ? config : m_ownConfig.get();
    m_settings = settings ? settings : m_appSettings.get();
}

void ObsDataLoader::run()
{
    m_failed = false;
    clearError();
    m_summary = ObsLoadSummary();

    SitesConfigLoader configLoader(*m_config, *m_settings, *this);
    configLoader.setRemedy(m_sitesConfigRemedy);
    if (const lum::Expected<void> configured = configLoader.ensureLoaded(m_sitesConfigPath);
        !configured) {
        m_failed = true;
        fail(configured.error());
        return;
    }
    DataFileReader reader(m_fileName);
    lum::Expected<void> loaded = prepareFile(reader);
    if (loaded)
        loaded = store(reader);
    if (!loaded) {
        m_failed = true;
        fail(loaded.error());
    }
}

lum::Expected<void> ObsDataLoader::store(DataFileReader& reader)
{
    const auto storeError = [](const QString& reason) {
        return lum::Error(lum::JobError::Database,
                          QStringLiteral("Unable to store the data: ") + reason);
    };
    lum::SqliteDb* db = m_rdb->database();
    if (!db)
        return lum::Error(lum::JobError::Database, QStringLiteral("The database is not open"));
    // Leaving early rolls the transaction back: the previous study stays as it was.
    lum::DbTransaction transaction(*db);
    if (!transaction.begun())
        return storeError(transaction.begun().error().text());
    ObsStudyWriter writer(*m_rdb, *m_releases, *m_sites, *m_years);
    if (lum::Expected<void> started = writer.start(); !started)
        return started;
    // The writer stores what the reader checked; one row refused and nothing is stored.
    ObsExportReader rows(m_fileName, *m_config);
    const auto progress = [this](int line) {
        if (line % cancelCheckLines == 0 && cancelRequested())
            return false;
        setStep(line);
        return true;
    };
    const ObsExportReader::Outcome outcome = rows.read(reader, writer, progress);
    const int lines = m_summary.lines;
    m_summary = rows.counts();
    m_summary.lines = lines;
    if (outcome == ObsExportReader::Canceled) {
        status(QStringLiteral("Loading canceled; the database is unchanged"));
        m_failed = true;
        return {};
    }
    if (outcome == ObsExportReader::Failed)
        return rows.failure();
    reader.close();
    if (m_summary.rows == 0)
        return lum::Error(lum::JobError::Input,
                          QStringLiteral("No detection records in file ") + quoted(m_fileName));
    progressStatus(QStringLiteral("Updating"));
    setStep(m_summary.lines);
    if (lum::Expected<void> finished = writer.finish(); !finished)
        return finished;
    if (lum::Expected<void> committed = transaction.commit(); !committed)
        return storeError(committed.error().text());
    m_summary.tags = writer.tagCount();
    m_summary.detections = writer.detectionCount();
    m_summary.releases = writer.releaseCount();
    m_summary.sites = writer.siteCount();
    m_summary.years = writer.yearCount();
    return {};
}

lum::Expected<void> ObsDataLoader::prepareFile(DataFileReader& reader)
{
    if (!reader.open())
        return lum::Error(lum::JobError::File, QStringLiteral("Unable to open file ") +
                                                   quoted(m_fileName) +
                                                   QStringLiteral(" for reading"));
    switch (reader.survey()) {
    case DataFileReader::Text:
        break;
    case DataFileReader::Empty:
        return lum::Error(lum::JobError::Input, QStringLiteral("File ") + quoted(m_fileName) +
                                                    QStringLiteral(" is empty"));
    case DataFileReader::Binary:
        return lum::Error(lum::JobError::Input, QStringLiteral("File ") + quoted(m_fileName) +
                                                    QStringLiteral(" is not a text file"));
    case DataFileReader::Unreadable:
        return lum::Error(lum::JobError::File,
                          QStringLiteral("Unable to read file ") + quoted(m_fileName));
    }
    m_summary.lines = reader.lineCount();
    setNumSteps(reader.lineCount());
    progressStatus(QStringLiteral("Loading ") + quoted(m_fileName));
    return {};
}

} // namespace rivulet

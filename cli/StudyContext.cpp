#include "cli/StudyContext.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "lum/db/ParseError.h"
#include "lum/thread/WorkerThread.h"
#include "rivulet/data/DataUpdater.h"
#include "rivulet/data/DetectionSequenceController.h"
#include "rivulet/data/MockReleasesController.h"
#include "rivulet/data/MockSitesController.h"
#include "rivulet/data/MockYearsController.h"
#include "rivulet/data/NextDetections.h"
#include "rivulet/data/NextDetectionsFromFile.h"
#include "rivulet/data/ReleaseSummary.h"
#include "rivulet/data/ReleasesController.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SimulatedDataLoader.h"
#include "rivulet/data/SitesController.h"
#include "rivulet/data/YearsController.h"
#include "rivulet/input/SitesConfig.h"
#include "rivulet/input/SitesConfigCatalog.h"
#include "rivulet/model/ModelCatalogue.h"

#include <QFile>
#include <QTextStream>

namespace rivulet::cli {

// The study of the database and what is derived from its observations.
struct StudyContext::DatabaseStudy
{
    SitesConfigCatalog catalog{SitesConfig::instance()};
    SitesController sites{catalog};
    YearsController years;
    ReleasesController releases;
    DetectionSequenceController sequences{releases, sites, RivuletDb::instance()};
    NextDetections counts{releases, sites, years, sequences};
};

// Simulated data: the controllers and counts of a counts file.
struct StudyContext::MockStudy
{
    MockSitesController sites;
    MockYearsController years;
    MockReleasesController releases;
    NextDetectionsFromFile counts{releases, sites, years};
};

StudyContext::StudyContext(CliContext& context) : context_(context) {}

StudyContext::~StudyContext() = default;

bool StudyContext::isMock() const
{
    return mock_ != nullptr;
}

const DetectionSequenceControllerI* StudyContext::sequences() const
{
    return database_ ? &database_->sequences : nullptr;
}

ReleasesController* StudyContext::databaseReleases()
{
    return database_ ? &database_->releases : nullptr;
}

SitesController* StudyContext::databaseSites()
{
    return database_ ? &database_->sites : nullptr;
}

YearsController* StudyContext::databaseYears()
{
    return database_ ? &database_->years : nullptr;
}

bool StudyContext::open()
{
    const QString mockFile = context_.options().mockFile;
    const bool opened = mockFile.isEmpty() ? openDatabase() : openMock(mockFile);
    if (!opened)
        return false;
    makeDerived();
    return update();
}

bool StudyContext::openDatabase()
{
    if (!context_.openDatabase())
        return false;
    database_ = std::make_unique<DatabaseStudy>();
    releases_ = &database_->releases;
    sites_ = &database_->sites;
    years_ = &database_->years;
    counts_ = &database_->counts;
    return true;
}

bool StudyContext::openMock(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        context_.out().error(QStringLiteral("No such file: %1").arg(path));
        return false;
    }
    auto mock = std::make_unique<MockStudy>();
    QTextStream in(&file);
    try {
        SimulatedDataLoader(mock->releases, mock->sites, mock->years, mock->counts).load(in);
    } catch (const lum::ParseError& error) {
        context_.out().error(QStringLiteral("%1: %2").arg(path, error.text()));
        return false;
    }
    mock_ = std::move(mock);
    releases_ = &mock_->releases;
    sites_ = &mock_->sites;
    years_ = &mock_->years;
    counts_ = &mock_->counts;
    return true;
}

void StudyContext::makeDerived()
{
    summary_ = std::make_unique<ReleaseSummary>(*releases_, *sites_, *years_, *counts_);
    catalogue_ = std::make_unique<ModelCatalogue>(*releases_, *sites_, *years_, *summary_);
}

bool StudyContext::update()
{
    if (!isOpen())
        return false;
    DetectionSequenceController* sequences = database_ ? &database_->sequences : nullptr;
    auto updater = std::make_unique<DataUpdater>(*releases_, *sites_, *years_, sequences, *counts_);
    ReleaseSummary* summary = summary_.get();
    ModelCatalogue* catalogue = catalogue_.get();
    updater->addRefreshStep([summary] { summary->update(); });
    updater->addRefreshStep([catalogue] { catalogue->rebuild(); });

    bool failed = false;
    // Lives on this thread, so the updater's reports arrive here queued.
    QObject receiver;
    lum::WorkerThread::runAndWait(std::move(updater), [&](DataUpdater* job, QThread*) {
        QObject::connect(job, &DataUpdater::error, &receiver, [&](const QString& message) {
            context_.out().error(message);
            failed = true;
        });
    });
    return !failed;
}

int StudyContext::fishCount(int releaseId) const
{
    const qint64 seen = counts_->releaseNextCounts(releaseId).sum();
    return counts_->releaseNotSeen(releaseId) + static_cast<int>(seen);
}

} // namespace rivulet::cli

#pragma once

#include <QString>

#include <memory>

namespace rivulet {
class DetectionSequenceControllerI;
class ModelCatalogue;
class NextDetectionsI;
class ReleaseSummary;
class ReleasesController;
class ReleasesControllerI;
class SitesController;
class SitesControllerI;
class YearsController;
class YearsControllerI;
} // namespace rivulet

namespace rivulet::cli {

class CliContext;

// The data set a command works on, with everything derived from it, as the window program
// holds it: the releases, sites and years controllers, the detection histories, the
// next-detection counts, the release summary and the model catalogue.
//
// With --mock FILE the data set is the counts file (mock controllers, counts read from the
// file, no histories); otherwise it is the study in the database of --db (or the user's).
//
//     StudyContext study(context);
//     if (!study.open())            // errors have been reported
//         return ExitFailure;
//     use(study.releases(), study.nextDetections(), study.summary(), study.catalogue());
//
// open() runs the data updater, so the objects are up to date when it returns. After a
// change of the configuration through the database controllers, update() runs it again.
class StudyContext
{
public:
    explicit StudyContext(CliContext& context);
    ~StudyContext();
    StudyContext(const StudyContext&) = delete;
    StudyContext& operator=(const StudyContext&) = delete;

    // Opens the data set and updates it. False, after reporting why, when the database cannot
    // be opened or the counts file cannot be read (a malformed file is reported with its line
    // and column).
    bool open();
    // Runs the data updater again. False, after reporting why, when the histories could not
    // be read.
    bool update();

    bool isOpen() const { return releases_ != nullptr; }
    bool isMock() const;

    // Valid after a successful open().
    const ReleasesControllerI& releases() const { return *releases_; }
    const SitesControllerI& sites() const { return *sites_; }
    const YearsControllerI& years() const { return *years_; }
    // Null with --mock: simulated data have counts but no histories.
    const DetectionSequenceControllerI* sequences() const;
    const NextDetectionsI& nextDetections() const { return *counts_; }
    NextDetectionsI& nextDetections() { return *counts_; }
    const ReleaseSummary& summary() const { return *summary_; }
    ReleaseSummary& summary() { return *summary_; }
    const ModelCatalogue& catalogue() const { return *catalogue_; }
    ModelCatalogue& catalogue() { return *catalogue_; }

    // The database controllers, for commands that change which sites, years and releases
    // take part; null with --mock.
    ReleasesController* databaseReleases();
    SitesController* databaseSites();
    YearsController* databaseYears();

    // The number of fish of a release: those never seen and those seen at least once.
    int fishCount(int releaseId) const;

private:
    struct DatabaseStudy;
    struct MockStudy;

    bool openDatabase();
    bool openMock(const QString& path);
    void makeDerived();

    CliContext& context_;
    std::unique_ptr<DatabaseStudy> database_;
    std::unique_ptr<MockStudy> mock_;
    std::unique_ptr<ReleaseSummary> summary_;
    std::unique_ptr<ModelCatalogue> catalogue_;
    // The data set's objects, owned by database_ or mock_.
    ReleasesControllerI* releases_ = nullptr;
    SitesControllerI* sites_ = nullptr;
    YearsControllerI* years_ = nullptr;
    NextDetectionsI* counts_ = nullptr;
};

} // namespace rivulet::cli

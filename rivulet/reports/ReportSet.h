#pragma once

#include <QString>
#include <QStringList>

namespace lum {
class ThreadRunnable;
}

namespace rivulet {

class EstimationResults;
class ModelCatalogue;
class NextDetectionsI;
class ReleaseSummary;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;

// The reports of one fitted model as files: the survival-and-movement, capture and
// performance measure reports as HTML (survival.html, capture.html, performance.html) and as
// CSV (survival.csv, capture.csv, performance.csv), and the release summary of the data
// (releases.html). The window saves the same reports one by one; the headless tool writes
// the whole set beside the model comparison.
class ReportSet
{
public:
    // More decimals than a double carries only print noise.
    static constexpr int MaxPrecision = 17;

    struct Options
    {
        // The model to report by name; empty for the one with the lowest AIC.
        QString reportModel;
        // Decimals of the estimates and of their standard errors in the HTML reports.
        int estimatePrecision = 4;
        int errorPrecision = 4;
        // The files are written to a folder they are moved from afterwards: the mover, not
        // the writer, then says which files were created.
        bool staged = false;
    };

    // Everything is borrowed and read during write() only.
    ReportSet(const ReleasesControllerI& releases, const SitesControllerI& sites,
              const YearsControllerI& years, const ModelCatalogue& catalogue,
              const ReleaseSummary& summary, const NextDetectionsI& counts);

    // The files write() makes, in the order it makes them.
    static QStringList fileNames();
    // Why `name` cannot be reported from this catalogue; empty when it can (or is empty).
    static QString unknownModelError(const ModelCatalogue& catalogue, const QString& name);

    // Writes every report into `outDir`, reporting each file through `job` (status) and the
    // first problem as the job's failure. Files are replaced only when complete, so a failed
    // run never leaves a partial report.
    bool write(const QString& outDir, const EstimationResults& results, const Options& options,
               lum::ThreadRunnable& job) const;

    const ModelCatalogue& catalogue() const { return m_catalogue; }
    const ReleaseSummary& summary() const { return m_summary; }
    const NextDetectionsI& counts() const { return m_counts; }

private:
    const ReleasesControllerI& m_releases;
    const SitesControllerI& m_sites;
    const YearsControllerI& m_years;
    const ModelCatalogue& m_catalogue;
    const ReleaseSummary& m_summary;
    const NextDetectionsI& m_counts;
};

} // namespace rivulet

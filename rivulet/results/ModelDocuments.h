#pragma once

#include "rivulet/results/ReportDocument.h"

#include <optional>

namespace rivulet {

class ReleaseSummary;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;
struct ModelDescription;
struct ModelResult;

// What a model report is made from: the releases, sites and years of the analysis and its
// release summary. Borrowed; read while a document is built.
struct ReportSources
{
    const ReleasesControllerI& releases;
    const SitesControllerI& sites;
    const YearsControllerI& years;
    const ReleaseSummary& summary;
};

// The three reports of one fitted model, built as documents that every format renders:
//   Survival   "Survival and Movement Parameter Estimates": for every release its phi
//              estimates by reach (columns) and pair of upstream and downstream years (rows);
//   Capture    "Capture Parameter Estimates": for every release its capture estimates by
//              site (columns) and year (rows);
//   Performance "Performance Measures" (PerformanceTables).
class ModelDocuments
{
public:
    enum class Kind
    {
        Survival,
        Capture,
        Performance
    };

    static QString title(Kind kind);

    // None without a result whose estimates and covariances can be read, or (for the
    // performance measures) without releases, sites and years.
    static std::optional<ReportDocument> build(Kind kind, const ReportSources& sources,
                                               const ModelDescription& model,
                                               const ModelResult* result);

    // The value of free parameter `index` of the result (fixed, and so marked, when negative)
    // with its
    // variance: where the covariance set the parameter aside (at a bound, or not estimable),
    // without a standard error, and with its profile interval instead when it has one.
    static MeasureValue parameterValue(const ModelResult& result, int index, double estimate,
                                       double variance);

    // The opening of every report of `model`.
    static ModelHeader header(Kind kind, const ReportSources& sources,
                              const ModelDescription& model, const ModelResult& result);
};

} // namespace rivulet

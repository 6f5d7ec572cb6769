#include "rivulet/results/ModelDocuments.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/results/ModelDescription.h"
#include "rivulet/results/PerformanceTables.h"
#include "rivulet/results/PhiTableLayout.h"

#include <algorithm>

namespace rivulet {

namespace {

using Kind = ReportBlock::Kind;

// Where a release starts: its position and the positions of its site and year; any of them
// -1 when the release is not in the analysis.
struct ReleaseStart
{
    int release = -1;
    int site = -1;
    int year = -1;

    bool isValid() const { return release >= 0 && site >= 0 && year >= 0; }
};

std::vector<ReleaseStart> releaseStarts(const ReportSources& sources)
{
    std::vector<ReleaseStart> starts;
    for (int id : sources.releases.ids())
        starts.push_back({sources.releases.indexOf(ReleaseId{id}).value,
                          sources.sites.indexOf(sources.releases.releaseSiteId(id)),
                          sources.years.indexOf(sources.releases.releaseYearId(id))});
    return starts;
}

// A release's heading: "Release: <label>".
void addRelease(ReportDocument& document, const ReportSources& sources, const ReleaseStart& start)
{
    document.add(Kind::Field, QStringLiteral("Release:"),
                 sources.releases.labels().value(start.release));
}

ReportTable phiTable(const ReportSources& sources, const ModelResult& result,
                     const ReleaseStart& start)
{
    const QStringList siteNames = sources.sites.shortNames();
    const QStringList yearNames = sources.years.yearLabels();
    const PhiTableLayout layout(siteNames, sources.years.count(), start.site, start.year);
    const ParameterMap& parameters = *result.parameters;
    const CovarianceMap& covariances = *result.covariances;

    ReportTable table;
    table.labelColumns = 2;
    std::vector<ReportHeaderCell> top;
    top.reserve(2);
    top.push_back({QStringLiteral("Year"), 2});
    if (layout.reachCount() > 0)
        top.push_back({QStringLiteral("Reach"), layout.reachCount()});
    std::vector<ReportHeaderCell> names = {{QStringLiteral("Upstream")},
                                           {QStringLiteral("Downstream")}};
    for (int j = 0; j < layout.reachCount(); ++j) {
        names.push_back({layout.reachLabel(j)});
        table.csvValueTitles << QStringLiteral("Reach ") + layout.reachLabel(j);
    }
    table.header = {top, names};
    table.csvLabels =
        QStringList{QStringLiteral("Upstream year"), QStringLiteral("Downstream year")};

    for (const PhiTableLayout::YearPair& pair : layout.yearPairs()) {
        ReportTable::Row row;
        const int u = pair.upstream;
        const int d = pair.downstream;
        row.labels = QStringList{yearNames.value(u), yearNames.value(d)};
        for (int j = 0; j < layout.reachCount(); ++j) {
            if (!layout.hasValue(j, pair)) {
                row.values.emplace_back();
                continue;
            }
            const int s = layout.reachSite(j);
            row.values.push_back(ModelDocuments::parameterValue(
                result, parameters.structure().phiIndex(start.release, s, u, d),
                parameters.phi(start.release, s, u, d),
                covariances.phiCovariance(start.release, s, u, d, s, u, d)));
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

ReportTable captureTable(const ReportSources& sources, const ModelResult& result,
                         const ReleaseStart& start)
{
    const QStringList siteNames = sources.sites.shortNames();
    const QStringList yearNames = sources.years.yearLabels();
    // The last site has no capture parameter.
    const int lastSite = static_cast<int>(siteNames.size()) - 2;
    const ParameterMap& parameters = *result.parameters;
    const CovarianceMap& covariances = *result.covariances;

    ReportTable table;
    std::vector<ReportHeaderCell> names = {{QStringLiteral("Downstream")}};
    for (int s = start.site + 1; s <= lastSite; ++s) {
        names.push_back({siteNames.value(s)});
        table.csvValueTitles << siteNames.value(s);
    }
    table.header = {names};
    table.csvLabels = QStringList{QStringLiteral("Downstream")};
    table.csvErrorCaption = QStringLiteral("s.e");

    for (int y = start.year; y < sources.years.count(); ++y) {
        ReportTable::Row row;
        row.labels = QStringList{yearNames.value(y)};
        for (int s = start.site + 1; s <= lastSite; ++s)
            row.values.push_back(ModelDocuments::parameterValue(
                result, parameters.structure().captureIndex(start.release, s, y),
                parameters.capture(start.release, s, y),
                covariances.captureCovariance(start.release, s, y, s, y)));
        table.rows.push_back(std::move(row));
    }
    return table;
}

ReportDocument estimateDocument(ModelDocuments::Kind kind, const ReportSources& sources,
                                const ModelDescription& model, const ModelResult& result)
{
    ReportDocument document;
    document.header = ModelDocuments::header(kind, sources, model, result);
    document.csvTitle = document.header.title + QStringLiteral("\n\n");
    document.add(Kind::Heading, QStringLiteral("Estimates")).inCsv = false;
    const int siteCount = sources.sites.count();
    for (const ReleaseStart& start : releaseStarts(sources)) {
        addRelease(document, sources, start);
        if (!start.isValid())
            continue;
        ReportBlock& block = document.add(Kind::Table);
        if (kind == ModelDocuments::Kind::Survival) {
            block.table = phiTable(sources, result, start);
            // The rich-text table needs its two year columns.
            block.inRichText = siteCount - start.site >= block.table.labelColumns;
        } else {
            block.table = captureTable(sources, result, start);
            block.inRichText = siteCount - start.site - 1 >= 1;
        }
    }
    return document;
}

} // namespace

MeasureValue ModelDocuments::parameterValue(const ModelResult& result, int index, double estimate,
                                            double variance)
{
    MeasureValue value{estimate, variance, result.covariances->hasCovariance()};
    // Not a free parameter: the data (or the model) fixed it, and it is no estimate.
    value.isFixed = index < 0;
    const FitSummary& summary = result.summary;
    if (index < 0 || index >= static_cast<int>(summary.estimates.size()) ||
        summary.estimates[static_cast<std::size_t>(index)] == EstimateStatus::Estimated)
        return value;
    // Held at its bound, or uninformed: its variance is no standard error.
    value.hasCovariance = false;
    const auto profile = std::lower_bound(
        summary.profiles.begin(), summary.profiles.end(), index,
        [](const ProfileInterval& p, int parameter) { return p.parameter < parameter; });
    if (profile != summary.profiles.end() && profile->parameter == index) {
        value.hasInterval = true;
        value.lower = profile->lower;
        value.upper = profile->upper;
    }
    return value;
}

QString ModelDocuments::title(Kind kind)
{
    switch (kind) {
    case Kind::Survival:
        return QStringLiteral("Survival and Movement Parameter Estimates");
    case Kind::Capture:
        return QStringLiteral("Capture Parameter Estimates");
    case Kind::Performance:
        break;
    }
    return QStringLiteral("Performance Measures");
}

ModelHeader ModelDocuments::header(Kind kind, const ReportSources& sources,
                                   const ModelDescription& model, const ModelResult& result)
{
    ModelHeader header;
    header.title = title(kind);
    header.releases = sources.releases.labels();
    header.releaseCount = sources.releases.count();
    header.code = model.code;
    header.fullDescription = model.fullDescription;
    header.siteCount = sources.sites.count();
    header.yearCount = sources.years.count();
    header.parameterCount = result.numParameters();
    header.logLikelihood = result.logLikelihood;
    header.aic = result.aic;
    if (!result.hasCovariance())
        header.fitStatus = result.summary.statusText();
    if (result.covariances)
        header.chat = result.covariances->scale();
    return header;
}

std::optional<ReportDocument> ModelDocuments::build(Kind kind, const ReportSources& sources,
                                                    const ModelDescription& model,
                                                    const ModelResult* result)
{
    if (!result || !result->parameters || !result->covariances)
        return std::nullopt;
    if (kind != Kind::Performance)
        return estimateDocument(kind, sources, model, *result);
    if (sources.releases.ids().isEmpty() || sources.sites.ids().isEmpty() ||
        sources.years.ids().isEmpty())
        return std::nullopt;
    return PerformanceTables(sources, model, *result).document();
}

} // namespace rivulet

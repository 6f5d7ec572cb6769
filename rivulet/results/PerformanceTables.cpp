#include "rivulet/results/PerformanceTables.h"

#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/PerformanceMeasures.h"
#include "rivulet/results/ModelDescription.h"
#include "rivulet/results/ModelDocuments.h"
#include "rivulet/results/PerformanceMeasureLayout.h"

namespace rivulet {

namespace {

using Kind = ReportBlock::Kind;

QuantityRow measureRow(const char* name, const QString& group, const QString& site,
                       const QString& year, const MeasureValue& value)
{
    QuantityRow row;
    row.kind = QStringLiteral("measure");
    row.name = QString::fromLatin1(name);
    row.group = group;
    row.site = site;
    row.year1 = year;
    row.estimate = value.estimate;
    if (value.hasStandardError())
        row.setStandardError(value.standardError());
    return row;
}

// A table with one estimate column per site between the first and the final one: the caption
// `label` under an empty cell, "Site" over the site columns, the site names under it.
ReportTable siteTable(const QString& label, const PerformanceMeasureLayout& layout)
{
    ReportTable table;
    const int sites = layout.siteCount() - 2;
    std::vector<ReportHeaderCell> top = {{QString()}};
    if (sites > 0)
        top.push_back({QStringLiteral("Site"), sites});
    std::vector<ReportHeaderCell> names = {{label}};
    table.csvLabels = QStringList{QString()};
    for (int c = 1; c <= sites; ++c) {
        names.push_back({layout.siteNames().value(c)});
        table.csvValueTitles << layout.siteNames().value(c);
    }
    table.header = {top, names};
    table.csvCaption = label;
    return table;
}

} // namespace

PerformanceTables::PerformanceTables(const ReportSources& sources, const ModelDescription& model,
                                     const ModelResult& result)
{
    const PerformanceMeasures measures(sources.releases, sources.sites, sources.years,
                                       *result.parameters, *result.covariances);
    const PerformanceMeasureLayout layout(sources.releases, sources.sites, sources.years,
                                          result.scheme(), sources.summary);
    const int lastSite = layout.siteCount() - 2;
    const QStringList& siteNames = layout.siteNames();
    const QStringList& longNames = layout.siteLongNames();

    m_document.header =
        ModelDocuments::header(ModelDocuments::Kind::Performance, sources, model, result);
    m_document.csvTitle = m_document.header.title + QStringLiteral("\n");

    m_document.add(Kind::Heading, QStringLiteral("Overall Cohort Survival")).inCsv = false;
    m_document.add(Kind::Continuation,
                   QStringLiteral("The overall cohort survival is the probability of an "
                                  "individual from the ") +
                       layout.yearNames().value(0) +
                       QStringLiteral(" release group reaching the detection site furthest "
                                      "down-river."));
    m_document.add(Kind::Figure, QStringLiteral("Overall cohort survival: ")).figure =
        measures.overallCohortSurvival();

    m_document.add(Kind::Heading, QStringLiteral("Cohort survival by site location"));
    m_document.add(Kind::Paragraph,
                   QStringLiteral("Downstream survival by age-specific release group."));
    {
        ReportTable table = siteTable(QStringLiteral("Release"), layout);
        table.highlightRow = 0;
        table.highlightValue = lastSite - 1;
        for (int k = 0; k < layout.releaseCount(); ++k) {
            ReportTable::Row row;
            row.labels = QStringList{layout.releaseLabel(k)};
            if (!layout.contributes(k))
                row.mark = QStringLiteral("*");
            const int releaseSite = layout.releaseSite(k);
            for (int c = 1; c <= lastSite; ++c) {
                if (releaseSite < 0 || c <= releaseSite) {
                    row.values.emplace_back();
                    continue;
                }
                const MeasureValue value = measures.survivalToSite(k, c);
                row.values.push_back(value);
                m_measures.push_back(measureRow("cohort_survival", layout.releaseLabel(k),
                                                siteNames.value(c), QString(), value));
            }
            table.rows.push_back(std::move(row));
        }
        ReportBlock& block = m_document.add(Kind::Table);
        block.table = std::move(table);
        block.inRichText = layout.siteCount() > 1;
    }
    m_document.add(Kind::Note, QStringLiteral("* Release did not contribute to overall cohort "
                                              "survival."));

    m_document.add(Kind::CsvBreak);
    m_document.add(Kind::Heading, QStringLiteral("Age Composition of migrants by Site"));
    m_document.add(Kind::Paragraph);
    {
        ReportTable table = siteTable(QStringLiteral("Age"), layout);
        const int firstSite = layout.releaseSite(0);
        for (int a = 0; a < layout.yearCount(); ++a) {
            ReportTable::Row row;
            row.labels = QStringList{layout.ageLabel(a)};
            for (int c = 1; c <= lastSite; ++c) {
                if (firstSite < 0 || c <= firstSite) {
                    row.values.emplace_back();
                    continue;
                }
                const MeasureValue value = measures.ageComposition(c, a);
                row.values.push_back(value);
                m_measures.push_back(measureRow("age_composition", layout.ageLabel(a),
                                                siteNames.value(c), layout.yearNames().value(a),
                                                value));
            }
            table.rows.push_back(std::move(row));
        }
        ReportBlock& block = m_document.add(Kind::Table);
        block.table = std::move(table);
        block.inRichText = layout.siteCount() > 1;
    }

    if (measures.residualizationSite() >= lastSite)
        return;
    const QString firstSiteName = longNames.value(1);
    m_document.add(Kind::CsvBreak);
    m_document.add(Kind::Heading, QStringLiteral("Down-River Survivals Below Residualization"));
    m_document.add(Kind::Paragraph,
                   QStringLiteral("The probability that an individual alive at ") + firstSiteName +
                       QStringLiteral(" in a given year survives and migrates to the furthest\n") +
                       QStringLiteral("downstream site in the same year."));
    ReportTable table;
    table.labelColumns = 2;
    table.header = {{{QStringLiteral("Release")},
                     {QStringLiteral("Year at ") + firstSiteName},
                     {QStringLiteral("Survival estimate to ") + longNames.value(lastSite)}}};
    table.csvLabels =
        QStringList{QStringLiteral("Release"), QStringLiteral("Year at ") + firstSiteName};
    table.csvValueTitles = QStringList{QStringLiteral("Survival to ") + longNames.value(lastSite)};
    table.csvErrorCaption = QStringLiteral("s.e");
    for (const PerformanceMeasureLayout::DownRiverRow& downRiver : layout.downRiverRows()) {
        const MeasureValue value = measures.downRiverSurvival(downRiver.release, downRiver.year);
        ReportTable::Row row;
        // The release's label stands on its first row only.
        row.labels = QStringList{downRiver.firstOfRelease ? layout.releaseLabel(downRiver.release)
                                                          : QString(),
                                 layout.yearNames().value(downRiver.year)};
        row.values.push_back(value);
        table.rows.push_back(std::move(row));
        m_measures.push_back(
            measureRow("down_river_survival", layout.releaseLabel(downRiver.release),
                       siteNames.value(lastSite), layout.yearNames().value(downRiver.year), value));
    }
    m_document.add(Kind::Table).table = std::move(table);
}

std::vector<QuantityRow> PerformanceTables::measuresOf(const EstimationResults& results, int model,
                                                       const ReleaseSummary& summary)
{
    const ReportSources sources{results.releasesController(), results.sitesController(),
                                results.yearsController(), summary};
    ModelDescription description;
    description.scheme = results.scheme(model);
    return PerformanceTables(sources, description, results.result(model)).measures();
}

} // namespace rivulet

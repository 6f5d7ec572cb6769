#include "rivulet/diagram/ReleaseEstimates.h"

#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/MeasureValue.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/results/ModelDocuments.h"
#include "rivulet/results/ReportNumbers.h"
#include "rivulet/summary/ReleaseSummary.h"

#include <algorithm>

namespace rivulet {

ReleaseEstimates::ReleaseEstimates(const ReleaseSummary& summary, ReleasePos release,
                                   const ModelResult* result, const QStringList& siteNames,
                                   const QStringList& yearNames, int estimatePrecision,
                                   int errorPrecision)
    : m_summary(summary), m_release(release), m_result(result), m_siteNames(siteNames),
      m_yearNames(yearNames), m_estimatePrecision(estimatePrecision),
      m_errorPrecision(errorPrecision)
{
    for (const auto& [key, cell] : m_summary.transitionCells(m_release)) {
        const QPair<int, int> row(cell.y1, cell.y2);
        if (!m_rows.contains(row))
            m_rows.append(row);
        if (!m_columns.contains(cell.site))
            m_columns.append(cell.site);
    }
    std::sort(m_rows.begin(), m_rows.end());
    std::sort(m_columns.begin(), m_columns.end());
}

double ReleaseEstimates::estimate(const PathKey& key) const
{
    if (key.site < m_siteNames.size() - 1)
        return m_result->parameters->phi(m_release.value, key.site, key.upstreamYear,
                                         key.downstreamYear);
    return m_result->parameters->lambda(m_release.value, key.upstreamYear, key.downstreamYear);
}

double ReleaseEstimates::variance(const PathKey& key) const
{
    if (key.site < m_siteNames.size() - 1)
        return m_result->covariances->phiCovariance(m_release.value, key.site, key.upstreamYear,
                                                    key.downstreamYear, key.site, key.upstreamYear,
                                                    key.downstreamYear);
    return m_result->covariances->lambdaVariance(m_release.value, key.upstreamYear,
                                                 key.downstreamYear);
}

QList<DiagramPathSpec> ReleaseEstimates::paths() const
{
    QList<DiagramPathSpec> paths;
    for (const auto& [key, cell] : m_summary.transitionCells(m_release)) {
        if (cell.exempt)
            continue;
        DiagramPathSpec path;
        path.key = key;
        path.label = m_result ? QString::number(estimate(path.key), 'f', m_estimatePrecision)
                              : QStringLiteral("NA");
        if (cell.fixedAtOne)
            path.colour = Qt::gray;
        paths.append(path);
    }
    std::sort(paths.begin(), paths.end(),
              [](const DiagramPathSpec& a, const DiagramPathSpec& b) { return a.key < b.key; });
    return paths;
}

QString ReleaseEstimates::rowLabel(int row) const
{
    const QPair<int, int> years = m_rows.value(row);
    return m_yearNames.value(years.first) + QLatin1Char('-') + m_yearNames.value(years.second);
}

QString ReleaseEstimates::columnLabel(int column) const
{
    const int site = m_columns.value(column);
    const QString upstream = site == 1 ? QStringLiteral("Release") : m_siteNames.value(site - 1);
    return upstream + QLatin1Char('-') + m_siteNames.value(site);
}

int ReleaseEstimates::rowOf(const PathKey& key) const
{
    return m_rows.indexOf(qMakePair(int(key.upstreamYear), int(key.downstreamYear)));
}

int ReleaseEstimates::columnOf(const PathKey& key) const
{
    return m_columns.indexOf(key.site);
}

bool ReleaseEstimates::hasValue(int row, int column) const
{
    if (!m_result || row < 0 || row >= m_rows.size() || column < 0 || column >= m_columns.size())
        return false;
    const PathKey key{m_columns.at(column), m_rows.at(row).first, m_rows.at(row).second};
    return m_summary.transitionCells(m_release).count(key) > 0;
}

QString ReleaseEstimates::cellText(int row, int column) const
{
    if (!hasValue(row, column))
        return QStringLiteral("NA");
    const PathKey key{m_columns.at(column), m_rows.at(row).first, m_rows.at(row).second};
    const ParameterStructure& structure = m_result->parameters->structure();
    const int index =
        key.site < m_siteNames.size() - 1
            ? structure.phiIndex(m_release.value, key.site, key.upstreamYear, key.downstreamYear)
            : structure.lambdaIndex(m_release.value, key.upstreamYear, key.downstreamYear);
    MeasureValue value =
        ModelDocuments::parameterValue(*m_result, index, estimate(key), variance(key));
    value.hasCovariance = value.hasCovariance && m_result->hasCovariance();
    return ReportNumbers::valueText(value, m_estimatePrecision, m_errorPrecision);
}

QString ReleaseEstimates::explanation(const PathKey& key) const
{
    const int s0 = m_summary.releaseSite(m_release);
    const int last = m_siteNames.size() - 1;
    const QString site = m_siteNames.value(key.site);
    const QString before = m_siteNames.value(key.site - 1);
    const QString from = m_yearNames.value(key.upstreamYear);
    const QString to = m_yearNames.value(key.downstreamYear);
    const bool sameYear = key.upstreamYear == key.downstreamYear;
    QString text = QStringLiteral("The probability of a ");
    if (key.site == s0 + 1) {
        text += QStringLiteral("released fish ");
        if (sameYear)
            text += QStringLiteral("migrating to site ") + site + QStringLiteral(" in ") + to;
        else
            text += QStringLiteral("residiualizing until ") + to +
                    QStringLiteral(" and then migrating to ") + site;
        return text;
    }
    text += QStringLiteral("fish alive at ") + before + QStringLiteral(" in ") + from;
    if (key.site == last) {
        if (sameYear)
            text += QStringLiteral(" migrating to and being detected at ") + site;
        else
            text += QStringLiteral(" residualizing until ") + to +
                    QStringLiteral(" and the migrating to and being detected at ") + site;
    } else if (sameYear) {
        text += QStringLiteral(" migrating to ") + site;
    } else {
        text += QStringLiteral(" residualizing until ") + to +
                QStringLiteral(" and then migrating to ") + site;
    }
    return text;
}

} // namespace rivulet

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
    : summary_(summary), release_(release), result_(result), siteNames_(siteNames),
      yearNames_(yearNames), estimatePrecision_(estimatePrecision), errorPrecision_(errorPrecision)
{
    for (const auto& [key, cell] : summary_.transitionCells(release_)) {
        const QPair<int, int> row(cell.y1, cell.y2);
        if (!rows_.contains(row))
            rows_.append(row);
        if (!columns_.contains(cell.site))
            columns_.append(cell.site);
    }
    std::sort(rows_.begin(), rows_.end());
    std::sort(columns_.begin(), columns_.end());
}

double ReleaseEstimates::estimate(const PathKey& key) const
{
    if (key.site < siteNames_.size() - 1)
        return result_->parameters->phi(release_.value, key.site, key.upstreamYear,
                                        key.downstreamYear);
    return result_->parameters->lambda(release_.value, key.upstreamYear, key.downstreamYear);
}

double ReleaseEstimates::variance(const PathKey& key) const
{
    if (key.site < siteNames_.size() - 1)
        return result_->covariances->phiCovariance(release_.value, key.site, key.upstreamYear,
                                                   key.downstreamYear, key.site, key.upstreamYear,
                                                   key.downstreamYear);
    return result_->covariances->lambdaVariance(release_.value, key.upstreamYear,
                                                key.downstreamYear);
}

QList<DiagramPathSpec> ReleaseEstimates::paths() const
{
    QList<DiagramPathSpec> paths;
    for (const auto& [key, cell] : summary_.transitionCells(release_)) {
        if (cell.exempt)
            continue;
        DiagramPathSpec path;
        path.key = key;
        path.label = result_ ? QString::number(estimate(path.key), 'f', estimatePrecision_)
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
    const QPair<int, int> years = rows_.value(row);
    return yearNames_.value(years.first) + QLatin1Char('-') + yearNames_.value(years.second);
}

QString ReleaseEstimates::columnLabel(int column) const
{
    const int site = columns_.value(column);
    const QString upstream = site == 1 ? QStringLiteral("Release") : siteNames_.value(site - 1);
    return upstream + QLatin1Char('-') + siteNames_.value(site);
}

int ReleaseEstimates::rowOf(const PathKey& key) const
{
    return rows_.indexOf(qMakePair(int(key.upstreamYear), int(key.downstreamYear)));
}

int ReleaseEstimates::columnOf(const PathKey& key) const
{
    return columns_.indexOf(key.site);
}

bool ReleaseEstimates::hasValue(int row, int column) const
{
    if (!result_ || row < 0 || row >= rows_.size() || column < 0 || column >= columns_.size())
        return false;
    const PathKey key{columns_.at(column), rows_.at(row).first, rows_.at(row).second};
    return summary_.transitionCells(release_).count(key) > 0;
}

QString ReleaseEstimates::cellText(int row, int column) const
{
    if (!hasValue(row, column))
        return QStringLiteral("NA");
    const PathKey key{columns_.at(column), rows_.at(row).first, rows_.at(row).second};
    const ParameterStructure& structure = result_->parameters->structure();
    const int index =
        key.site < siteNames_.size() - 1
            ? structure.phiIndex(release_.value, key.site, key.upstreamYear, key.downstreamYear)
            : structure.lambdaIndex(release_.value, key.upstreamYear, key.downstreamYear);
    MeasureValue value =
        ModelDocuments::parameterValue(*result_, index, estimate(key), variance(key));
    value.hasCovariance = value.hasCovariance && result_->hasCovariance();
    return ReportNumbers::valueText(value, estimatePrecision_, errorPrecision_);
}

QString ReleaseEstimates::explanation(const PathKey& key) const
{
    const int s0 = summary_.releaseSite(release_);
    const int last = siteNames_.size() - 1;
    const QString site = siteNames_.value(key.site);
    const QString before = siteNames_.value(key.site - 1);
    const QString from = yearNames_.value(key.upstreamYear);
    const QString to = yearNames_.value(key.downstreamYear);
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

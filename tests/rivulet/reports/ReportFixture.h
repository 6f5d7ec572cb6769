#pragma once

#include "lum/estimation/DenseMatrix.h"
#include "rivulet/counts/TabulatedNextDetections.h"
#include "rivulet/filesource/MockReleasesController.h"
#include "rivulet/filesource/MockSitesController.h"
#include "rivulet/filesource/MockYearsController.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/reports/ModelEstimateItemAction.h"
#include "rivulet/reports/ModelEstimateItemHeading.h"
#include "rivulet/reports/ModelEstimateItemRoot.h"
#include "rivulet/summary/ReleaseSummary.h"

#include "QStringPrinter.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <memory>
#include <vector>

namespace rivulet::test {

// Next-detection counts set by hand.
class HandCounts : public TabulatedNextDetections
{
public:
    using TabulatedNextDetections::TabulatedNextDetections;
    void update() override {}
    NextDetectionTables& tables() { return tables_; }
};

// A study of S sites and Y years ("S0" ... with long names "Site 0" ..., years 2008 ...),
// releases at given site and year positions, and one fitted model of it whose estimates and
// variances the test sets: every parameter starts at 0.5 with variance 0.0004 (s.e. 0.02).
class ReportModel
{
public:
    struct Release
    {
        int site = 0;
        int year = 0;
    };

    ReportModel(int siteCount, int yearCount, const std::vector<Release>& releaseList)
    {
        QStringList shortNames;
        QStringList longNames;
        for (int s = 0; s < siteCount; ++s) {
            shortNames << QStringLiteral("S%1").arg(s);
            longNames << QStringLiteral("Site %1").arg(s);
        }
        sites.setSites(shortNames, longNames);
        QList<int> calendar;
        for (int y = 0; y < yearCount; ++y)
            calendar << 2008 + y;
        years.setYears(calendar);
        for (const Release& release : releaseList)
            releases.addRelease(release.site, shortNames.value(release.site), release.year,
                                2008 + release.year);
        structure = std::make_unique<ParameterStructure>(releases, sites, years);
        x.assign(static_cast<std::size_t>(structure->numFree()), 0.5);
        variances.assign(x.size(), 0.0004);
        counts.tables().reset(siteCount, yearCount);
    }

    // Call after fixing or equating parameters of the structure.
    void resetVector()
    {
        x.assign(static_cast<std::size_t>(structure->numFree()), 0.5);
        variances.assign(x.size(), 0.0004);
    }

    void setPhi(int r, int s, int y1, int y2, double value)
    {
        x.at(static_cast<std::size_t>(structure->phiIndex(r, s, y1, y2))) = value;
    }
    void setPhiVariance(int r, int s, int y1, int y2, double value)
    {
        variances.at(static_cast<std::size_t>(structure->phiIndex(r, s, y1, y2))) = value;
    }
    void setCapture(int r, int s, int y, double value)
    {
        x.at(static_cast<std::size_t>(structure->captureIndex(r, s, y))) = value;
    }
    void setCaptureVariance(int r, int s, int y, double value)
    {
        variances.at(static_cast<std::size_t>(structure->captureIndex(r, s, y))) = value;
    }
    void setAllValues(double value) { x.assign(x.size(), value); }

    // Records the model (with a diagonal covariance matrix of the variances, or none) and
    // makes its item of the model tree: code "M.test", text "Survival and movement: test".
    const ModelEstimateItem& fit(const EquatingScheme& scheme, bool withCovariance,
                                 double logLikelihood = -123.4567891, double aic = 250.9135782)
    {
        std::unique_ptr<lum::DenseMatrix> covariance;
        if (withCovariance) {
            const int n = static_cast<int>(x.size());
            covariance = std::make_unique<lum::DenseMatrix>(n, n);
            for (int i = 0; i < n; ++i)
                (*covariance)(i, i) = variances[static_cast<std::size_t>(i)];
        }
        const ModelResult& result =
            results.record(scheme, logLikelihood, aic, x, std::move(covariance),
                           std::make_unique<ParameterStructure>(*structure));
        root = std::make_unique<ModelEstimateItemRoot>();
        auto* heading = root->appendChild(
            std::make_unique<ModelEstimateItemHeading>(QStringLiteral("Capture: test"), scheme));
        item = heading->appendChild(std::make_unique<ModelEstimateItemAction>(
            QStringLiteral("M.test"), QStringLiteral("Survival and movement: test"),
            QStringLiteral("Capture: test, Survival and movement: test"), scheme));
        item->setResult(&result);
        return *item;
    }

    // Fish of release r first detected at site s in year y.
    void addFirstDetections(int r, int s, int y, int fish)
    {
        auto& release = counts.tables().release(r);
        release.next.add(s, y, fish);
        release.detections.add(s, y, fish);
    }
    void setNeverSeen(int r, int fish) { counts.tables().release(r).notSeen = fish; }
    const ReleaseSummary& updateSummary()
    {
        summary.update();
        return summary;
    }

    MockReleasesController releases;
    MockSitesController sites;
    MockYearsController years;
    std::unique_ptr<ParameterStructure> structure;
    std::vector<double> x;
    std::vector<double> variances;
    EstimationResults results{releases, sites, years};
    HandCounts counts{releases, sites, years};
    ReleaseSummary summary{releases, sites, years, counts};
    std::unique_ptr<ModelEstimateItemRoot> root;
    ModelEstimateItem* item = nullptr;
};

// The lines of CSV text and the fields of one of them.
inline QStringList csvLines(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

inline QStringList fields(const QString& line)
{
    return line.split(QLatin1Char(','));
}

// True when the text shows a number that is not finite.
inline bool hasNonFinite(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("\\b(nan|inf|infinity)\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern.match(text).hasMatch();
}

template <typename Writer>
QString csvOf(const Writer& writer)
{
    QString text;
    QTextStream out(&text);
    writer.write(out);
    out.flush();
    return text;
}

} // namespace rivulet::test

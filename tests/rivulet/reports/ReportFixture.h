#pragma once

#include "common/TestEnvironment.h"
#include "lum/estimation/DenseMatrix.h"
#include "rivulet/counts/TabulatedNextDetections.h"
#include "rivulet/filesource/CountsFileReleasesController.h"
#include "rivulet/filesource/CountsFileSitesController.h"
#include "rivulet/filesource/CountsFileYearsController.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/results/ModelDescription.h"
#include "rivulet/summary/ReleaseSummary.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextStream>
#include <QTextTable>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace rivulet::test {

// Next-detection counts set by hand.
class HandCounts : public TabulatedNextDetections
{
public:
    using TabulatedNextDetections::TabulatedNextDetections;
    void update() override {}
    NextDetectionTables& tables() { return m_tables; }
};

// A study of S sites ("S0" ..., long names "Site 0" ...) and Y years (2008 ...), releases at
// given site and year positions, and one fitted model of it: every parameter starts at 0.5
// with variance 0.0004 (s.e. 0.02) unless the test sets it.
class ReportModel
{
public:
    // A release by its site and year positions.
    using Release = std::pair<int, int>;

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
        for (const auto& [site, year] : releaseList)
            releases.addRelease(site, shortNames.value(site), year, 2008 + year);
        structure = std::make_unique<ParameterStructure>(releases, sites, years);
        resetVector();
        counts.tables().reset(siteCount, yearCount);
    }

    // Call after fixing or equating parameters of the structure.
    void resetVector()
    {
        x.assign(static_cast<std::size_t>(structure->numFree()), 0.5);
        variances.assign(x.size(), 0.0004);
    }

    void setPhi(int r, int s, int y1, int y2, double value, double variance = 0.0004)
    {
        set(structure->phiIndex(r, s, y1, y2), value, variance);
    }
    void setCapture(int r, int s, int y, double value, double variance = 0.0004)
    {
        set(structure->captureIndex(r, s, y), value, variance);
    }

    // A recorded model as the reports are given it.
    struct Fitted
    {
        ModelDescription description;
        const ModelResult* result = nullptr;
    };

    // Records the model (with a diagonal covariance matrix of the variances, or none), named
    // "M.test", "Capture: test, Survival and movement: test".
    Fitted fit(const EquatingScheme& scheme, bool withCovariance,
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
                           std::make_unique<ParameterStructure>(*structure),
                           convergedSummary(logLikelihood, withCovariance));
        return {{QStringLiteral("M.test"),
                 QStringLiteral("Capture: test, Survival and movement: test"), scheme},
                &result};
    }

    static FitSummary convergedSummary(double logLikelihood, bool withCovariance)
    {
        FitSummary summary;
        summary.ending = FitEnding::Converged;
        summary.logLikelihood = logLikelihood;
        summary.blocks.push_back(
            {withCovariance ? CovarianceStatus::Computed : CovarianceStatus::Singular,
             QString(),
             {}});
        return summary;
    }

    // Fish of release r first detected at site s in year y.
    void addFirstDetections(int r, int s, int y, int fish)
    {
        auto& release = counts.tables().release(r);
        release.next.add(s, y, fish);
        release.detections.add(s, y, fish);
    }

    CountsFileReleasesController releases;
    CountsFileSitesController sites;
    CountsFileYearsController years;
    std::unique_ptr<ParameterStructure> structure;
    std::vector<double> x;
    std::vector<double> variances;
    EstimationResults results{releases, sites, years};
    HandCounts counts{releases, sites, years};
    ReleaseSummary summary{releases, sites, years, counts};

private:
    void set(int index, double value, double variance)
    {
        x.at(static_cast<std::size_t>(index)) = value;
        variances.at(static_cast<std::size_t>(index)) = variance;
    }
};

// The HTML of a report as a reader sees it: a line per paragraph, a line per table row with
// its cells (a spanned cell once) between " | ", and the colour of every shaded cell.
inline QString readerText(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    QStringList lines;
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        auto* table = qobject_cast<QTextTable*>(it.currentFrame());
        if (!table) {
            lines << it.currentBlock().text();
            continue;
        }
        for (int r = 0; r < table->rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (cell.column() != c)
                    continue;
                QTextCursor cursor = cell.firstCursorPosition();
                cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                const QBrush shade = cell.firstCursorPosition().blockFormat().background();
                cells << cursor.selectedText() + (shade.style() == Qt::NoBrush
                                                      ? QString()
                                                      : " {" + shade.color().name() + "}");
            }
            lines << cells.join(QStringLiteral(" | "));
        }
    }
    return lines.join('\n').replace(QChar::LineSeparator, '\n').trimmed() + '\n';
}

// The text without the model lines every report shares (the capture report's copy keeps them).
inline QString withoutModelLines(QString text)
{
    static const QRegularExpression lines(
        QStringLiteral("\nModel:[^\n]*\n(?:[^\n]*\n)*?AIC:[^\n]*\n"));
    return text.replace(lines, QStringLiteral("\n[model lines]\n"));
}

// Compares a report with its approved copy in approved/. After a change to a report, run with
// RIVULET_APPROVE=1 to write the new text there, and read the difference before committing it.
inline void expectApproved(const char* name, const QString& text)
{
    const QString path = TestEnvironment::sourceDir() + "/tests/rivulet/reports/approved/" + name;
    QFile file(path);
    if (qEnvironmentVariableIsSet("RIVULET_APPROVE")) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Text)) << path.toStdString();
        file.write(text.toUtf8());
        return;
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text)) << path.toStdString();
    EXPECT_EQ(text.toStdString(), file.readAll().toStdString()) << path.toStdString();
}

} // namespace rivulet::test

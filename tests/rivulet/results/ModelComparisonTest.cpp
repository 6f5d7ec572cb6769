// The comparison table and the estimates CSV of an estimation run, on hand-made results.
#include "rivulet/results/ModelComparison.h"

#include "lum/estimation/DenseMatrix.h"
#include "rivulet/filesource/CountsFileReleasesController.h"
#include "rivulet/filesource/CountsFileSitesController.h"
#include "rivulet/filesource/CountsFileYearsController.h"
#include "rivulet/filesource/NextDetectionsFromFile.h"
#include "rivulet/filesource/SimulatedDataLoader.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/results/EstimatesCsv.h"
#include "rivulet/results/ModelAveragedEstimates.h"
#include "rivulet/results/ReleasedFish.h"
#include "rivulet/summary/ReleaseSummary.h"

#include <QTextStream>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

namespace {

using namespace rivulet;

// Two releases at sites 0 and 1 in one year; sites 1 to 2 detect, 3 is the final site.
struct Catalogued
{
    CountsFileReleasesController releases;
    CountsFileSitesController sites;
    CountsFileYearsController years;
    NextDetectionsFromFile counts{releases, sites, years};
    ReleaseSummary summary{releases, sites, years, counts};
    ModelCatalogue catalogue{releases, sites, years, summary};
    EstimationResults results{releases, sites, years};

    Catalogued()
    {
        QString text = "2 4 1\n0 1\n0 0\n10 10\n\n1\n4\n3\n2\n1\n2 \n1 \n1\n2 \n"
                       "2\n5\n3\n2\n3 \n";
        QTextStream in(&text);
        SimulatedDataLoader(releases, sites, years, counts).load(in);
        catalogue.rebuild();
    }

    // Records the model with every free parameter at `value` and, when given, a diagonal
    // covariance matrix of `variance`, and `informed` parameters the data inform (all when
    // negative).
    void record(const EquatingScheme& scheme, double aic, double value,
                std::optional<double> variance, int informed = -1)
    {
        auto structure = std::make_unique<ParameterStructure>(releases, sites, years);
        catalogue.applyModel(scheme.captureCode, scheme.survivalCode, *structure);
        const int k = structure->numFree();
        std::unique_ptr<lum::DenseMatrix> covariance;
        if (variance) {
            covariance = std::make_unique<lum::DenseMatrix>(k, k);
            for (int i = 0; i < k; ++i)
                (*covariance)(i, i) = *variance;
        }
        FitSummary summary;
        summary.ending = FitEnding::Converged;
        summary.blocks.push_back(
            {variance ? CovarianceStatus::Computed : CovarianceStatus::Singular, QString(), {}});
        summary.estimates.assign(static_cast<std::size_t>(k), EstimateStatus::Estimated);
        summary.informedParameters = informed < 0 ? k : informed;
        results.record(scheme, k - aic / 2, aic, std::vector<double>(k, value),
                       std::move(covariance), std::move(structure), summary);
    }
};

TEST(ModelComparisonTest, MarksTheLowestAicAndQuotesDescriptionsInCsv)
{
    Catalogued c;
    c.record({2, 2}, 50.25, 0.5, 0.01);
    c.record({1, 2}, 48.0, 0.5, 0.01);
    c.record({1, 1}, 48.0, 0.5, 0.01);
    const ModelComparison comparison(c.catalogue, c.results);
    ASSERT_EQ(comparison.rows().size(), 3u);
    EXPECT_EQ(comparison.rows()[0].name, "M.s.1A");
    EXPECT_DOUBLE_EQ(comparison.rows()[0].deltaAic, 2.25);
    EXPECT_FALSE(comparison.rows()[0].best);
    EXPECT_TRUE(comparison.rows()[1].best);
    EXPECT_FALSE(comparison.rows()[2].best); // equal AIC: the first recorded is the best
    EXPECT_EQ(comparison.rows()[2].numParameters, c.results.result(2).numParameters());

    const QStringList table = comparison.table().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(table.size(), 4);
    EXPECT_TRUE(table[0].startsWith("  Name ")) << table[0].toStdString();
    EXPECT_TRUE(table[1].startsWith("  M.s.1A       2.2500 ")) << table[1].toStdString();
    EXPECT_TRUE(table[2].startsWith("* M.s.2A       0.0000 ")) << table[2].toStdString();
    EXPECT_TRUE(table[3].endsWith("Capture: Equated across all release sites, Survival and "
                                  "movement: Equated across all release sites"));

    const QStringList csv = comparison.csv().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(csv.size(), 4);
    EXPECT_EQ(csv[0], "model,description,delta_aic,num_params,log_likelihood,aic,best,aicc,"
                      "delta_aicc,weight,num_informed,status");
    EXPECT_TRUE(csv[2].startsWith("M.s.2A,\"Capture: Equated across all release sites, Survival "
                                  "and movement: All release sites unique\",0,"))
        << csv[2].toStdString();
    // No number of released fish given: no AICc.
    EXPECT_TRUE(csv[2].endsWith(",48,1,NA,NA,NA,7,converged")) << csv[2].toStdString();
}

TEST(ModelComparisonTest, AiccOfTheReleasedFishAndTheCriterionThatMarksTheBest)
{
    Catalogued c;
    const auto freeParameters = [&c](const EquatingScheme& scheme) {
        ParameterStructure structure(c.releases, c.sites, c.years);
        c.catalogue.applyModel(scheme.captureCode, scheme.survivalCode, structure);
        return structure.numFree();
    };
    EquatingScheme large{1, 1};
    EquatingScheme small{2, 2};
    if (freeParameters(large) < freeParameters(small))
        std::swap(large, small);
    const double kl = freeParameters(large);
    const double ks = freeParameters(small);
    ASSERT_GT(kl, ks);
    ASSERT_LT(kl, 18.0);
    // Equal AICs: AIC keeps the first recorded, AICc prefers fewer parameters.
    c.record(large, 40.0, 0.5, 0.01);
    c.record(small, 40.0, 0.5, 0.01);
    EXPECT_EQ(ReleasedFish::count(c.counts), 20); // 10 + 10 fish released
    const ModelComparison byAic(c.catalogue, c.results, 20);
    const ModelComparison byAicc(c.catalogue, c.results, 20, ModelSelectionCriterion::Aicc);
    EXPECT_TRUE(byAic.rows()[0].best);
    EXPECT_TRUE(byAicc.rows()[1].best);
    EXPECT_EQ(byAicc.bestIndex(), 1);

    const double aiccLarge = 40.0 + 2 * kl * (kl + 1) / (20 - kl - 1);
    const double aiccSmall = 40.0 + 2 * ks * (ks + 1) / (20 - ks - 1);
    const double delta = aiccLarge - aiccSmall;
    EXPECT_NEAR(*byAicc.rows()[0].aicc, aiccLarge, 1e-9);
    EXPECT_NEAR(*byAicc.rows()[0].deltaAicc, delta, 1e-9);
    EXPECT_NEAR(*byAicc.rows()[0].weight, std::exp(-delta / 2) / (1 + std::exp(-delta / 2)), 1e-12);
    EXPECT_NEAR(*byAicc.rows()[1].weight, 1 / (1 + std::exp(-delta / 2)), 1e-12);

    const QStringList csv = byAicc.csv().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(csv.size(), 3);
    EXPECT_TRUE(csv[0].endsWith(",aic,best,aicc,delta_aicc,weight,num_informed,status"));
    EXPECT_TRUE(csv[2].endsWith(",1," + QString::number(aiccSmall, 'g', 12) + ",0," +
                                QString::number(*byAicc.rows()[1].weight, 'g', 12) + "," +
                                QString::number(ks) + ",converged"))
        << csv[2].toStdString();
    // Too few fish for any model: no AICc and no weight; the lowest AIC marks the best.
    const ModelComparison few(c.catalogue, c.results, 2, ModelSelectionCriterion::Aicc);
    EXPECT_EQ(few.bestIndex(), 0);
    EXPECT_TRUE(few.csv().endsWith(",0,NA,NA,NA," + QString::number(ks) + ",converged\n"));
    EXPECT_TRUE(few.table().contains(" NA ")) << few.table().toStdString();
}

// Counted by what the data inform, a general model whose extra parameters are not estimable
// costs no more than the smaller one: its AIC, AICc and weight use the informed count.
TEST(ModelComparisonTest, CountedByInformedParametersTheUninformedOnesCostNothing)
{
    Catalogued c;
    c.record({1, 1}, 40.0, 0.5, 0.01, 4);
    c.record({2, 2}, 40.0, 0.5, 0.01);
    const int k = c.results.result(0).numParameters();
    const double lnL = c.results.logLikelihood(0);
    ASSERT_GT(k, 4);
    const ModelComparison counted(c.catalogue, c.results, 20, ModelSelectionCriterion::Aic,
                                  ModelSelectionCriterion::Count::Informed);
    EXPECT_EQ(counted.rows()[0].numParameters, k);
    EXPECT_EQ(counted.rows()[0].informedParameters, 4);
    EXPECT_DOUBLE_EQ(counted.rows()[0].aic, 2.0 * 4 - 2.0 * lnL);
    EXPECT_NEAR(*counted.rows()[0].aicc, 2.0 * 4 - 2.0 * lnL + 2.0 * 4 * 5 / (20 - 4 - 1), 1e-9);
    EXPECT_EQ(counted.bestIndex(), 0);
    const ModelComparison free(c.catalogue, c.results, 20);
    EXPECT_DOUBLE_EQ(free.rows()[0].aic, 40.0);
    EXPECT_EQ(free.rows()[0].informedParameters, 4);
}

TEST(ModelComparisonTest, EstimatesWithoutCovarianceOrUsableVarianceHaveNoStandardError)
{
    Catalogued c;
    c.record({1, 1}, 40.0, 0.25, std::nullopt);
    c.record({2, 2}, 41.0, 0.25, -0.04);
    c.record({1, 2}, 42.0, 0.25, std::numeric_limits<double>::quiet_NaN());
    c.record({2, 2}, 43.0, 0.25, 0.04);
    EXPECT_EQ(ModelComparison(c.catalogue, c.results).rows()[0].status,
              "converged; covariance singular");
    const QString text = EstimatesCsv::text(c.catalogue, c.results);
    EXPECT_FALSE(text.contains("nan", Qt::CaseInsensitive)) << text.toStdString();
    EXPECT_FALSE(text.contains("inf", Qt::CaseInsensitive)) << text.toStdString();
    const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 1);
    int withError = 0;
    for (const QString& line : lines.mid(1)) {
        const QStringList fields = line.split(',');
        ASSERT_EQ(fields.size(), 14) << line.toStdString();
        EXPECT_EQ(fields[7], "0.25");
        if (!fields[8].isEmpty()) {
            EXPECT_EQ(fields[8], "0.2");
            // logit(0.25) ± 1.96 · 0.2 / 0.1875, mapped back.
            EXPECT_EQ(fields[10], "0.03957117397");
            EXPECT_EQ(fields[11], "0.7294935094");
            ++withError;
        } else {
            EXPECT_EQ(fields[10], "NA");
            EXPECT_EQ(fields[11], "NA");
        }
    }
    // Only the last model has usable variances: one standard error per free parameter entry.
    const ParameterStructure& last = c.results.structure(3);
    int freeEntries = 0;
    for (const ParameterEntry& entry : last.entries())
        freeEntries += last.indexOfCell(entry.cell) >= 0 ? 1 : 0;
    EXPECT_GT(freeEntries, 0);
    EXPECT_EQ(withError, freeEntries);
}

} // namespace

namespace quasi {

using namespace rivulet;

// ĉ = 2 on two models of the fixture with AIC 40 and 44 and n = 20 fish: QAIC = −2 ln L/ĉ + 2K,
// QAICc adds 2K(K + 1)/(n − K − 1), the weights follow from ΔQAICc. The free parameters are
// those of the fixture's structures, 5 for M.s.2B and 8 for M.s.1A (checked first), so the
// figures below are worked out by hand from ln L = K − AIC/2:
//   M.s.2B (K 5): ln L = −15, QAIC = 30/2 + 10 = 25, QAICc = 25 + 2·5·6/14 = 29.285714…
//   M.s.1A (K 8): ln L = −14, QAIC = 28/2 + 16 = 30, QAICc = 30 + 2·8·9/11 = 43.090909…
//   ΔQAICc = 13.805195 for M.s.1A; its weight exp(−6.902597)/(1 + exp(−6.902597)) = 0.00100416.
TEST(QuasiLikelihoodTest, QaiccDeltasAndWeightsByHand)
{
    Catalogued c;
    c.record({1, 1}, 40.0, 0.5, 0.01);
    c.record({2, 2}, 44.0, 0.5, 0.01);
    ASSERT_EQ(c.results.result(0).numParameters(), 5);
    ASSERT_EQ(c.results.result(1).numParameters(), 8);
    c.results.setVarianceInflation(2.0);
    const ModelComparison comparison(c.catalogue, c.results, 20, ModelSelectionCriterion::Aicc);
    ASSERT_TRUE(comparison.quasiLikelihood());
    EXPECT_DOUBLE_EQ(comparison.chat(), 2.0);
    const auto& rows = comparison.rows();
    EXPECT_NEAR(*rows[0].qaic, 25.0, 1e-12);
    EXPECT_NEAR(*rows[0].qaicc, 29.285714285714, 1e-9);
    EXPECT_NEAR(*rows[1].qaic, 30.0, 1e-12);
    EXPECT_NEAR(*rows[1].qaicc, 43.090909090909, 1e-9);
    EXPECT_NEAR(*rows[0].deltaQaicc, 0.0, 1e-12);
    EXPECT_NEAR(*rows[1].deltaQaicc, 13.805194805195, 1e-9);
    EXPECT_NEAR(*rows[1].qaiccWeight, 0.00100416184656, 1e-12);
    EXPECT_NEAR(*rows[0].qaiccWeight + *rows[1].qaiccWeight, 1.0, 1e-15);
    EXPECT_EQ(comparison.averagingWeight(1), rows[1].qaiccWeight);
    EXPECT_EQ(comparison.bestIndex(), 0);
    // The AIC columns are those of ĉ = 1.
    EXPECT_DOUBLE_EQ(rows[1].aic, 44.0);

    const QStringList csv = comparison.csv().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(csv.size(), 3);
    EXPECT_TRUE(csv[0].endsWith(",num_informed,status,qaicc,delta_qaicc,qaicc_weight,chat"))
        << csv[0].toStdString();
    EXPECT_TRUE(csv[1].endsWith(",converged,29.2857142857,0,0.998995838153,2"))
        << csv[1].toStdString();
    const QString table = comparison.table();
    EXPECT_TRUE(table.contains("QAICc")) << table.toStdString();
    EXPECT_TRUE(table.contains("c-hat = 2")) << table.toStdString();
}

// ĉ = 4 doubles every standard error: a variance of 0.01 at 0.25 reads as a standard error of
// 0.2, and the Wald interval logit(0.25) ± 1.96 · 0.2 / 0.1875 maps back to
// (0.0395712, 0.7294935); the model average of two such models keeps that standard error.
TEST(QuasiLikelihoodTest, StandardErrorsIntervalsAndAveragesAreInflated)
{
    Catalogued c;
    c.record({1, 1}, 40.0, 0.25, 0.01);
    c.record({1, 2}, 41.0, 0.25, 0.01);
    c.results.setVarianceInflation(4.0);
    const QStringList lines =
        EstimatesCsv::text(c.catalogue, c.results).split('\n', Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 1);
    int checked = 0;
    for (const QString& line : lines.mid(1)) {
        const QStringList fields = line.split(',');
        if (fields[8].isEmpty())
            continue;
        EXPECT_EQ(fields[8], "0.2") << line.toStdString();
        EXPECT_NEAR(fields[10].toDouble(), 0.0395712, 1e-6) << line.toStdString();
        EXPECT_NEAR(fields[11].toDouble(), 0.7294935, 1e-6) << line.toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 0);

    const ModelComparison comparison(c.catalogue, c.results, 20);
    const ModelAveragedEstimates averaged(c.results, comparison, c.summary);
    ASSERT_EQ(averaged.modelCount(), 2);
    int averagedRows = 0;
    for (const QuantityRow& row : averaged.rows()) {
        if (row.kind != "parameter" || !row.standardError)
            continue;
        EXPECT_NEAR(*row.standardError, 0.2, 1e-12);
        ++averagedRows;
    }
    EXPECT_GT(averagedRows, 0);
}

// ĉ = 1, or below 1, leaves the comparison and the estimates exactly as without it.
TEST(QuasiLikelihoodTest, ChatOfOneOrLessChangesNothing)
{
    Catalogued c;
    c.record({1, 1}, 40.0, 0.25, 0.01);
    c.record({2, 2}, 44.0, 0.25, 0.02);
    const ModelComparison before(c.catalogue, c.results, 20, ModelSelectionCriterion::Aicc);
    const QString estimates = EstimatesCsv::text(c.catalogue, c.results);
    for (const double chat : {1.0, 0.5, 0.0, -3.0}) {
        c.results.setVarianceInflation(chat);
        EXPECT_EQ(c.results.varianceInflation(), 1.0);
        const ModelComparison after(c.catalogue, c.results, 20, ModelSelectionCriterion::Aicc);
        EXPECT_FALSE(after.quasiLikelihood());
        EXPECT_EQ(after.csv(), before.csv());
        EXPECT_EQ(after.table(), before.table());
        EXPECT_EQ(EstimatesCsv::text(c.catalogue, c.results), estimates);
    }
}

} // namespace quasi

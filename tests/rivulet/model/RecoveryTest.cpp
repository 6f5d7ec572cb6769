// Parameter recovery: on a study simulated under known parameter values, with fish holding
// over on their first reach (which the whole-program recovery studies leave out), the
// estimates of the models that contain the truth must lie within three standard errors of it
// for at least 95% of the free parameters.
#include "RecoveryStudy.h"

#include "lum/estimation/DenseMatrix.h"
#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/ParameterStructure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace rivulet::test {
namespace {

// Free parameters of model i, each once, with how far its estimate is from the truth in
// standard errors.
struct Recovery
{
    int parameters = 0;
    int withinThree = 0;
    double worst = 0.0;
};

Recovery recovery(const FittedStudy& study, int i, const BranchingTruth& truth)
{
    const ParameterStructure& structure = study.results.structure(i);
    const std::vector<double>& estimates = study.results.estimates(i);
    const lum::DenseMatrix* covariance = study.results.covariance(i);
    Recovery result;
    std::set<int> seen;
    for (const ParameterEntry& entry : structure.entries()) {
        const int index = structure.indexOfCell(entry.cell);
        if (index < 0 || !seen.insert(index).second) {
            continue;
        }
        const double se = std::sqrt((*covariance)(index, index));
        const double distance = std::fabs(estimates[index] - truth.value(entry)) / se;
        result.parameters += 1;
        result.withinThree += distance <= 3.0 ? 1 : 0;
        result.worst = std::max(result.worst, distance);
    }
    return result;
}

void expectRecovered(const FittedStudy& study, const BranchingTruth& truth,
                     const std::vector<EquatingScheme>& schemes)
{
    ASSERT_EQ(study.results.count(), static_cast<int>(schemes.size()))
        << study.warnings.join(QLatin1Char('\n')).toStdString();
    for (int i = 0; i < study.results.count(); ++i) {
        const QString name =
            ModelCatalogue::modelName(study.catalogue.dataClass(), study.results.scheme(i));
        ASSERT_NE(study.results.covariance(i), nullptr) << name.toStdString();
        const Recovery r = recovery(study, i, truth);
        EXPECT_EQ(r.parameters, study.results.result(i).numParameters());
        EXPECT_GE(r.withinThree, 0.95 * r.parameters)
            << name.toStdString() << ": " << r.withinThree << " of " << r.parameters
            << " within three standard errors, worst " << r.worst;
        printf("%s %d/%d worst %.2f\n", qPrintable(name), r.withinThree, r.parameters, r.worst);
    }
}

// Two release sites in series (the lower one also detects fish of the upper one), releases
// in two years, three more detection sites and the final site. Fish of the first release
// year may hold over for a year on their first reach. Survival and detection differ by site,
// year and release site, not by release year.
BranchingTruth twoSitesTwoYears()
{
    BranchingTruth truth;
    truth.siteCount = 6;
    truth.yearCount = 2;
    truth.relSites = {0, 0, 1, 1};
    truth.relYears = {0, 1, 0, 1};
    const std::vector<int> sites = truth.relSites;
    const std::vector<int> years = truth.relYears;
    const auto survival = [sites](int r, int s, int y) {
        static const double base[] = {0.0, 0.9, 0.86, 0.8, 0.9};
        return base[s] - 0.04 * sites[r] - 0.03 * y;
    };
    truth.phi = [=](int r, int s, int y1, int y2) {
        const bool firstReach = s == sites[r] + 1;
        const double holdOver = firstReach && y1 == 0 ? 0.15 : 0.0;
        if (y2 == y1) {
            return survival(r, s, y1) * (1.0 - holdOver);
        }
        return y2 == y1 + 1 ? survival(r, s, y1) * holdOver : 0.0;
    };
    truth.capture = [sites](int r, int s, int y) {
        static const double base[] = {0.0, 0.5, 0.6, 0.45, 0.55};
        return base[s] + 0.05 * y + 0.04 * sites[r];
    };
    truth.lambda = [](int, int y1, int y2) { return y1 == y2 ? 0.3 + 0.05 * y1 : 0.0; };
    (void)years;
    return truth;
}

TEST(RecoveryTest, ModelsContainingTheTruthRecoverItAcrossSitesYearsAndHoldOver)
{
    const BranchingTruth truth = twoSitesTwoYears();
    FittedStudy study(simulateCounts(truth, 5000, 20240607u));
    ASSERT_EQ(study.catalogue.dataClass(), DataClass::SeveralSitesSeveralYears);
    // Unique, capture by release site, and both groups by release site.
    const std::vector<EquatingScheme> schemes = {{4, 4}, {2, 4}, {2, 2}};
    study.fit(schemes, lum::createOptimizer(QStringLiteral("0")), 1e-4);
    expectRecovered(study, truth, schemes);
}

} // namespace
} // namespace rivulet::test

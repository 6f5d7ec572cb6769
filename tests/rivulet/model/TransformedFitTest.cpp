// Fits in the transformed coordinates: every optimizer reaches the same maximum, and the
// transform of a model keeps every set of probabilities within what its fixed members leave.
#include "RecoveryStudy.h"

#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ModelTransform.h"
#include "rivulet/model/ParameterBoundsCheck.h"
#include "rivulet/model/ParameterStructure.h"

#include <gtest/gtest.h>

#include <ostream>

namespace rivulet::test {
namespace {

// Five sites (4 is the final site), two years; a tenth of the fish at the first
// reach hold over to the next year.
BranchingTruth heldOverTruth(std::vector<int> relSites, std::vector<int> relYears)
{
    BranchingTruth truth;
    truth.siteCount = 5;
    truth.yearCount = 2;
    truth.relSites = std::move(relSites);
    truth.relYears = std::move(relYears);
    const std::vector<int> sites = truth.relSites;
    truth.phi = [sites](int r, int s, int y1, int y2) {
        const double holdOver = s == sites[r] + 1 && y1 == 0 ? 0.1 : 0.0;
        return y2 == y1 ? 0.85 * (1 - holdOver) : 0.85 * holdOver;
    };
    truth.lambda = [](int, int y1, int y2) { return y1 == y2 ? 0.35 : 0.0; };
    return truth;
}

struct OptimizerCase
{
    const char* name;
    BranchingTruth truth;
    DataClass dataClass;
};

void PrintTo(const OptimizerCase& c, std::ostream* os)
{
    *os << c.name;
}

class AllOptimizers : public ::testing::TestWithParam<OptimizerCase>
{
};

// The most general model and the most equated one of the fit list, with every optimizer at its
// default settings: the same log-likelihood, and estimates that are proper probabilities.
TEST_P(AllOptimizers, ReachTheSameMaximum)
{
    const OptimizerCase& c = GetParam();
    const QString counts = simulateCounts(c.truth, 1500, 99u);
    FittedStudy reference(counts);
    ASSERT_EQ(reference.catalogue.dataClass(), c.dataClass);
    const std::vector<EquatingScheme>& fitList = reference.catalogue.fitList();
    ASSERT_GE(fitList.size(), 2u);
    const std::vector<EquatingScheme> schemes{fitList.front(), fitList.back()};
    reference.fit(schemes, lum::createOptimizer(QStringLiteral("0")), 1e-4);
    ASSERT_EQ(reference.results.count(), 2) << reference.warnings.join('\n').toStdString();

    for (const char* id : {"1", "2", "3"}) {
        FittedStudy study(counts);
        study.fit(schemes, lum::createOptimizer(QString::fromLatin1(id)), 1e-4);
        ASSERT_EQ(study.results.count(), 2) << id << study.warnings.join('\n').toStdString();
        for (int m = 0; m < 2; ++m) {
            EXPECT_NEAR(study.results.result(m).logLikelihood,
                        reference.results.result(m).logLikelihood, 1e-4)
                << "optimizer " << id << ", model " << m;
            EXPECT_TRUE(ParameterBoundsCheck::violation(study.results.structure(m),
                                                        study.results.estimates(m))
                            .isEmpty());
        }
    }
}

OptimizerCase oneReleaseSite()
{
    BranchingTruth truth = heldOverTruth({0, 0}, {0, 1});
    truth.capture = [](int, int s, int y) { return 0.45 + 0.1 * s - 0.05 * y; };
    return {"OneReleaseSiteTwoYears", truth, DataClass::OneSiteSeveralYears};
}

// Fish are released at sites 0 and 1; site 1 detects nothing, fish just pass it.
OptimizerCase releaseSitesInSeries()
{
    BranchingTruth truth = heldOverTruth({0, 0, 1, 1}, {0, 1, 0, 1});
    truth.capture = [](int, int s, int y) { return s == 1 ? 0.0 : 0.4 + 0.1 * s + 0.05 * y; };
    return {"ReleaseSitesInSeries", truth, DataClass::SeveralSitesSeveralYears};
}

INSTANTIATE_TEST_SUITE_P(Studies, AllOptimizers,
                         ::testing::Values(oneReleaseSite(), releaseSitesInSeries()),
                         [](const ::testing::TestParamInfo<OptimizerCase>& info) {
                             return std::string(info.param.name);
                         });

// Two releases at site 0 in year 0; sites 1 and 2 (final), two years.
TEST(ModelTransform, SetsSharingAParameterShareTheSmallestBudget)
{
    ParameterStructure structure({0, 0}, {0, 0}, 3, 2);
    // Release 0: every fish that reaches the final site from year 0 does so in year 1.
    structure.fix(structure.lambdaIndex(0, 0, 1), 1.0);
    // Release 1: no fish holds over between sites 0 and 1.
    structure.fix(structure.phiIndex(1, 1, 0, 1), 0.0);
    structure.equate(structure.lambdaIndex(0, 0, 0), structure.lambdaIndex(1, 0, 0));
    structure.equate(structure.phiIndex(0, 1, 0, 0), structure.phiIndex(1, 1, 0, 0));
    const lum::SoftmaxTransform transform = modelTransform(structure);
    ASSERT_EQ(transform.size(), structure.numFree());

    const auto groupOf = [&](std::int32_t index) { return transform.groupOf(index); };
    // The shared final reach joins release 1's year change; release 0's fixed 1 leaves none.
    const int lambdaGroup = groupOf(structure.lambdaIndex(0, 0, 0));
    EXPECT_EQ(groupOf(structure.lambdaIndex(1, 0, 1)), lambdaGroup);
    EXPECT_EQ(transform.members(lambdaGroup).size(), 2u);
    EXPECT_EQ(transform.budget(lambdaGroup), 0.0);
    // The shared first reach joins release 0's hold-over; nothing fixed takes from the unit.
    const int phiGroup = groupOf(structure.phiIndex(0, 1, 0, 0));
    EXPECT_EQ(groupOf(structure.phiIndex(0, 1, 0, 1)), phiGroup);
    EXPECT_EQ(transform.members(phiGroup).size(), 2u);
    EXPECT_EQ(transform.budget(phiGroup), 1.0);
    // Capture probabilities and the later year's final reach stand alone.
    for (const std::int32_t index :
         {structure.captureIndex(0, 1, 0), structure.captureIndex(1, 1, 1),
          structure.lambdaIndex(0, 1, 1)}) {
        EXPECT_EQ(transform.members(groupOf(index)).size(), 1u);
    }

    // Whatever the coordinates, the estimates pass the bounds check.
    std::vector<double> x;
    for (const double z : {-700.0, 0.0, 30.0, 700.0}) {
        transform.toParameters(std::vector<double>(static_cast<std::size_t>(transform.size()), z),
                               x);
        EXPECT_TRUE(ParameterBoundsCheck::violation(structure, x).isEmpty()) << z;
    }
}

TEST(ParameterBoundsCheck, NamesTheParameterOrSetOutOfBounds)
{
    ParameterStructure structure({0}, {0}, 3, 2);
    structure.fix(structure.lambdaIndex(0, 0, 1), 1.0);
    std::vector<double> x(static_cast<std::size_t>(structure.numFree()), 0.0);
    EXPECT_TRUE(ParameterBoundsCheck::violation(structure, x).isEmpty());

    x[static_cast<std::size_t>(structure.lambdaIndex(0, 0, 0))] = 0.25;
    EXPECT_EQ(ParameterBoundsCheck::violation(structure, x),
              QStringLiteral("the probabilities lambda(0, 0, y2) add up to 1.25, more than 1"));
    x.assign(x.size(), 0.0);
    x[static_cast<std::size_t>(structure.phiIndex(0, 1, 0, 0))] = 0.7;
    x[static_cast<std::size_t>(structure.phiIndex(0, 1, 0, 1))] = 0.4;
    EXPECT_TRUE(
        ParameterBoundsCheck::violation(structure, x)
            .startsWith(QStringLiteral("the probabilities phi(0, 1, 0, y2) add up to 1.1")));
    x.assign(x.size(), 0.0);
    x[static_cast<std::size_t>(structure.captureIndex(0, 1, 1))] = -1e-3;
    EXPECT_TRUE(ParameterBoundsCheck::violation(structure, x).contains(QStringLiteral("-0.001")));
}

} // namespace
} // namespace rivulet::test

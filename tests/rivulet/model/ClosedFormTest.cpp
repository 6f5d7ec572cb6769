// On a one-year study the branching model is the Cormack-Jolly-Seber model of the
// release-recapture literature, whose maximum likelihood estimates have a closed form in the
// m-array (the Jolly-Seber estimators). The fit of the model that equates every parameter
// across releases must reproduce them.
#include "RecoveryStudy.h"

#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ParameterMap.h"

#include <gtest/gtest.h>

#include <vector>

namespace rivulet::test {
namespace {

constexpr int S = 7; // site 0: release site A; 1: release site B, also detecting; 6: final
const std::vector<double> kPhi = {0.0, 0.9, 0.85, 0.8, 0.9, 0.88};
const std::vector<double> kCapture = {0.0, 0.5, 0.6, 0.4, 0.55, 0.45};
constexpr double kLambda = 0.3;

BranchingTruth oneYearTruth()
{
    BranchingTruth truth;
    truth.siteCount = S;
    truth.yearCount = 1;
    truth.relSites = {0, 1};
    truth.relYears = {0, 0};
    truth.phi = [](int, int s, int, int) { return kPhi[static_cast<std::size_t>(s)]; };
    truth.capture = [](int, int s, int) { return kCapture[static_cast<std::size_t>(s)]; };
    truth.lambda = [](int, int, int) { return kLambda; };
    return truth;
}

// The Jolly-Seber estimates from the m-array of the counts. Occasions are the sites; fish
// detected at a site are released there again, next to the new release of that site.
struct JollySeber
{
    std::vector<double> phi;     // phi[i]: from site i-1 to site i, i = 1 .. S-2
    std::vector<double> capture; // capture[i], i = 1 .. S-2
    double lambda = 0.0;

    explicit JollySeber(const SimulatedData& data)
    {
        const int k = S - 1;
        std::vector<std::vector<double>> m(S, std::vector<double>(S, 0.0));
        std::vector<double> released(S, 0.0);
        const QList<int> ids = data.releases.ids();
        for (int r = 0; r < ids.size(); ++r) {
            const int a0 = data.releases.releaseSiteId(ids[r]);
            const CountMatrix& first = data.counts.releaseNextCounts(ReleaseId{ids[r]});
            released[a0] += data.counts.releaseNotSeen(ReleaseId{ids[r]}) + first.sum();
            for (int j = a0 + 1; j <= k; ++j) {
                m[a0][j] += first.count(j, 0);
            }
            for (int a = a0 + 1; a < k; ++a) {
                const CountMatrix& next = data.counts.nextCounts(ReleaseId{ids[r]}, a, 0);
                released[a] += data.counts.notSeenAgain(ReleaseId{ids[r]}, a, 0) + next.sum();
                for (int j = a + 1; j <= k; ++j) {
                    m[a][j] += next.count(j, 0);
                }
            }
        }
        // m_i caught at i; r_i of R_i seen again; z_i released before i, missed at i, seen later.
        std::vector<double> caught(S, 0.0), seenAgain(S, 0.0), missed(S, 0.0), marked(S, 0.0);
        for (int i = 0; i <= k; ++i) {
            for (int h = 0; h < i; ++h) {
                caught[i] += m[h][i];
                for (int j = i + 1; j <= k; ++j) {
                    missed[i] += m[h][j];
                }
            }
            for (int j = i + 1; j <= k; ++j) {
                seenAgain[i] += m[i][j];
            }
        }
        for (int i = 1; i < k; ++i) {
            marked[i] = caught[i] + released[i] * missed[i] / seenAgain[i];
        }
        phi.assign(S - 1, 0.0);
        capture.assign(S - 1, 0.0);
        for (int i = 1; i < k; ++i) {
            phi[i] = marked[i] / (marked[i - 1] - caught[i - 1] + released[i - 1]);
            capture[i] = caught[i] / marked[i];
        }
        lambda = seenAgain[k - 1] / released[k - 1];
    }
};

class ClosedFormTest : public ::testing::TestWithParam<const char*>
{
};

TEST_P(ClosedFormTest, EquatedOneYearFitMatchesJollySeberEstimates)
{
    FittedStudy study(simulateCounts(oneYearTruth(), 6000, 1234u));
    const EquatingScheme everythingEquated{1, 1};
    ASSERT_EQ(study.catalogue.dataClass(), DataClass::SeveralSitesOneYear);
    const auto& fitList = study.catalogue.fitList();
    ASSERT_NE(std::find(fitList.begin(), fitList.end(), everythingEquated), fitList.end());

    FitOptions options;
    options.optimizer = QString::fromLatin1(GetParam());
    study.fit({everythingEquated}, options);
    ASSERT_EQ(study.results.count(), 1) << study.warnings.join(QLatin1Char('\n')).toStdString();
    const ModelResult& result = study.results.result(0);
    const ParameterMap& estimates = *result.parameters;
    // phi and p of sites 1 .. S-2 and the final reach: nothing else is free.
    EXPECT_EQ(result.numParameters(), 2 * (S - 2) + 1);

    const JollySeber closedForm(study.data);
    for (int s = 1; s <= S - 2; ++s) {
        EXPECT_NEAR(estimates.phi(0, s, 0, 0), closedForm.phi[s], 1e-4) << "phi at site " << s;
        EXPECT_NEAR(estimates.capture(0, s, 0), closedForm.capture[s], 1e-4) << "p at site " << s;
    }
    EXPECT_NEAR(estimates.lambda(0, 0, 0), closedForm.lambda, 1e-4);
    EXPECT_TRUE(result.hasCovariance());
}

// Every optimizer, with its default settings and the default ending criterion.
INSTANTIATE_TEST_SUITE_P(Optimizers, ClosedFormTest, ::testing::Values("0", "1", "2", "3"));

} // namespace
} // namespace rivulet::test

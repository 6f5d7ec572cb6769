#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/ModelApplication.h"
#include "rivulet/model/ParameterMap.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <utility>
#include <vector>

using rivulet::ModelApplication;
using rivulet::ParameterEntry;
using rivulet::ParameterFamily;
using rivulet::ParameterMap;
using rivulet::ParameterStructure;

namespace {

// Free positions must be exactly 0 .. numFree-1 and first appear in entry order.
void expectDenseNumbering(const ParameterStructure& structure)
{
    int next = 0;
    for (int k = 0; k < static_cast<int>(structure.entries().size()); ++k) {
        const int index = structure.entryIndex(k);
        ASSERT_GE(index, ParameterStructure::Fixed);
        ASSERT_LE(index, next) << "gap before entry " << k;
        if (index == next) {
            ++next;
        }
    }
    EXPECT_EQ(next, structure.numFree());
}

std::vector<int> indices(const ParameterStructure& structure)
{
    std::vector<int> result;
    for (int k = 0; k < static_cast<int>(structure.entries().size()); ++k) {
        result.push_back(structure.entryIndex(k));
    }
    return result;
}

using Key = std::tuple<ParameterFamily, int, int, int, int>;

Key keyOf(const ParameterEntry& e)
{
    return {e.family, e.release, e.site, e.year1, e.year2};
}

ParameterStructure oneReleaseFourSitesTwoYears()
{
    return ParameterStructure({0}, {0}, 4, 2);
}

} // namespace

TEST(ParameterStructure, NumbersTheOneReleaseExampleInOrder)
{
    const ParameterStructure structure = oneReleaseFourSitesTwoYears();
    const auto P = ParameterFamily::Phi;
    const auto L = ParameterFamily::Lambda;
    const auto C = ParameterFamily::Capture;
    const std::vector<Key> expected = {
        {P, 0, 1, 0, 0}, {P, 0, 1, 0, 1}, {P, 0, 2, 0, 0}, {P, 0, 2, 0, 1},
        {P, 0, 2, 1, 1}, {L, 0, 3, 0, 0}, {L, 0, 3, 0, 1}, {L, 0, 3, 1, 1},
        {C, 0, 1, 0, 0}, {C, 0, 1, 1, 1}, {C, 0, 2, 0, 0}, {C, 0, 2, 1, 1},
    };
    ASSERT_EQ(structure.entries().size(), expected.size());
    EXPECT_EQ(structure.numFree(), 12);
    for (int k = 0; k < 12; ++k) {
        EXPECT_EQ(keyOf(structure.entries()[static_cast<std::size_t>(k)]),
                  expected[static_cast<std::size_t>(k)])
            << "entry " << k;
        EXPECT_EQ(structure.entryIndex(k), k);
    }
    EXPECT_EQ(structure.phiIndex(0, 2, 1, 1), 4);
    EXPECT_EQ(structure.captureIndex(0, 2, 1), 11);

    // Cells outside the index space, including ones outside the tables' dimensions.
    EXPECT_EQ(structure.phiIndex(0, 2, 1, 0), ParameterStructure::NoParameter);
    EXPECT_EQ(structure.captureIndex(0, 3, 0), ParameterStructure::NoParameter);
    EXPECT_EQ(structure.captureIndex(1, 1, 0), ParameterStructure::NoParameter);
}

TEST(ParameterStructure, ReleasesLowInTheRiverHaveFewerParameters)
{
    // Release 0 at site 0 from year 1, release 1 at S-2, release 2 at the final site, release 3
    // at a site outside the analysis.
    const ParameterStructure structure({0, 2, 3, -1}, {1, 0, 0, 0}, 4, 2);
    std::vector<Key> keys;
    for (const ParameterEntry& e : structure.entries()) {
        keys.push_back(keyOf(e));
    }
    const auto P = ParameterFamily::Phi;
    const auto L = ParameterFamily::Lambda;
    const auto C = ParameterFamily::Capture;
    const std::vector<Key> expected = {
        {P, 0, 1, 1, 1}, {P, 0, 2, 1, 1}, {L, 0, 3, 1, 1}, {L, 1, 3, 0, 0},
        {L, 1, 3, 0, 1}, {C, 0, 1, 1, 1}, {C, 0, 2, 1, 1},
    };
    EXPECT_EQ(keys, expected);
    EXPECT_TRUE(structure.isModelled(1));
    EXPECT_FALSE(structure.isModelled(2));
    EXPECT_FALSE(structure.isModelled(3));
    expectDenseNumbering(structure);
}

TEST(ParameterStructure, FixClosesTheGapBehindTheFixedPosition)
{
    ParameterStructure structure = oneReleaseFourSitesTwoYears();
    structure.fix(5, 0.25);
    EXPECT_EQ(indices(structure), (std::vector<int>{0, 1, 2, 3, 4, -1, 5, 6, 7, 8, 9, 10}));
    EXPECT_DOUBLE_EQ(structure.lambdaFixed(0, 0, 0), 0.25);

    // Fixing the first and the last positions.
    structure.fix(0, 1.0);
    structure.fix(9, 0.0);
    EXPECT_EQ(indices(structure), (std::vector<int>{-1, 0, 1, 2, 3, -1, 4, 5, 6, 7, 8, -1}));
    EXPECT_EQ(structure.numFree(), 9);
    EXPECT_DOUBLE_EQ(structure.captureFixed(0, 2, 1), 0.0);
    expectDenseNumbering(structure);
}

TEST(ParameterStructure, EquatingReleasesOfDifferentSitesMatchesBySitePosition)
{
    // Release 0 at site 0 and release 1 at site 1, S = 4, one year.
    ParameterStructure structure({0, 1}, {0, 0}, 4, 1);
    ASSERT_EQ(structure.numFree(), 8);
    ModelApplication::equateSurvival(1, structure);
    // The first reach of the down-river release is the second reach of the up-river one.
    EXPECT_EQ(structure.phiIndex(1, 2, 0, 0), structure.phiIndex(0, 2, 0, 0));
    EXPECT_NE(structure.phiIndex(0, 1, 0, 0), structure.phiIndex(0, 2, 0, 0));
    EXPECT_EQ(structure.lambdaIndex(1, 0, 0), structure.lambdaIndex(0, 0, 0));
    // Capture parameters are untouched by the survival code.
    EXPECT_NE(structure.captureIndex(1, 2, 0), structure.captureIndex(0, 2, 0));
    EXPECT_EQ(structure.numFree(), 6);
    ModelApplication::equateCapture(1, structure);
    EXPECT_EQ(structure.captureIndex(1, 2, 0), structure.captureIndex(0, 2, 0));
    EXPECT_EQ(structure.numFree(), 5);
    expectDenseNumbering(structure);
}

TEST(ParameterStructure, EquatingCodesSelectPairsOfReleases)
{
    // Releases: (site 0, year 0), (site 0, year 1), (site 1, year 0), (site 1, year 1).
    const ParameterStructure base({0, 0, 1, 1}, {0, 1, 0, 1}, 4, 2);
    const auto sharedWith = [](const ParameterStructure& s, int r1, int r2) {
        return s.captureIndex(r1, 2, 1) == s.captureIndex(r2, 2, 1);
    };
    for (int code = 1; code <= 4; ++code) {
        ParameterStructure structure = base;
        ModelApplication::equateCapture(code, structure);
        EXPECT_EQ(sharedWith(structure, 0, 1), code == 1 || code == 2) << "code " << code;
        EXPECT_EQ(sharedWith(structure, 0, 2), code == 1 || code == 3) << "code " << code;
        EXPECT_EQ(sharedWith(structure, 2, 3), code == 1 || code == 2) << "code " << code;
        EXPECT_EQ(sharedWith(structure, 1, 3), code == 1 || code == 3) << "code " << code;
        EXPECT_EQ(sharedWith(structure, 0, 3), code == 1) << "code " << code;
        expectDenseNumbering(structure);
    }
}

TEST(ParameterStructure, ChangesAtOnceNumberAsChangesOneByOne)
{
    // Random fixes and merges, interleaved, on releases of several sites and years: fixes of
    // merged parameters, merges of fixed ones and cells outside the tables included.
    const ParameterStructure base({0, 1, 0, 2, 1}, {0, 1, 1, 0, 2}, 5, 3);
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        ParameterStructure oneByOne = base;
        ParameterStructure atOnce = base;
        ParameterStructure::Changes changes(atOnce);
        std::uniform_int_distribution<int> anyCell(-1, base.cellCount() - 1);
        std::uniform_int_distribution<std::size_t> entry(0, base.entries().size() - 1);
        const auto cellOf = [&] {
            return random() % 10 == 0 ? anyCell(random) : base.entries()[entry(random)].cell;
        };
        for (int step = 0; step < 60; ++step) {
            const int a = cellOf();
            const int b = cellOf();
            if (random() % 4 == 0) {
                const double value = (random() % 2) ? 1.0 : 0.0;
                oneByOne.fix(oneByOne.indexOfCell(a), value);
                changes.fix(a, value);
            } else {
                oneByOne.equate(oneByOne.indexOfCell(a), oneByOne.indexOfCell(b));
                changes.equate(a, b);
            }
        }
        changes.apply(atOnce);
        ASSERT_EQ(atOnce.numFree(), oneByOne.numFree()) << "round " << round;
        for (int cell = 0; cell < base.cellCount(); ++cell) {
            ASSERT_EQ(atOnce.indexOfCell(cell), oneByOne.indexOfCell(cell)) << "cell " << cell;
            ASSERT_EQ(atOnce.fixedValueOfCell(cell), oneByOne.fixedValueOfCell(cell))
                << "cell " << cell;
        }
        expectDenseNumbering(atOnce);
    }
}

TEST(ParameterStructure, ResidualizationSiteFollowsTheFreeYearChanges)
{
    ParameterStructure structure = oneReleaseFourSitesTwoYears();
    EXPECT_EQ(structure.residualizationSite(), 3);
    structure.fix(structure.lambdaIndex(0, 0, 1), 0.0);
    EXPECT_EQ(structure.residualizationSite(), 2);
    structure.fix(structure.phiIndex(0, 2, 0, 1), 0.0);
    EXPECT_EQ(structure.residualizationSite(), 1);
    structure.fix(structure.phiIndex(0, 1, 0, 1), 0.0);
    EXPECT_EQ(structure.residualizationSite(), 1);

    const ParameterStructure oneYear({0}, {0}, 5, 1);
    EXPECT_EQ(oneYear.residualizationSite(), 1);
}

TEST(ParameterMap, ResolvesFreeAndFixedParameters)
{
    ParameterStructure structure = oneReleaseFourSitesTwoYears();
    structure.fix(structure.captureIndex(0, 1, 1), 0.0);
    structure.fix(structure.phiIndex(0, 2, 1, 1), 1.0);
    structure.equate(structure.phiIndex(0, 1, 0, 0), structure.phiIndex(0, 2, 0, 0));
    std::vector<double> x(static_cast<std::size_t>(structure.numFree()));
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = 0.05 * static_cast<double>(i + 1);
    }
    const ParameterMap map(structure, x);
    EXPECT_EQ(map.numParameters(), 9);
    EXPECT_DOUBLE_EQ(map.phi(0, 1, 0, 0), 0.05);
    EXPECT_DOUBLE_EQ(map.phi(0, 2, 0, 0), 0.05);
    EXPECT_DOUBLE_EQ(map.phi(0, 1, 0, 1), 0.10);
    EXPECT_DOUBLE_EQ(map.phi(0, 2, 1, 1), 1.0);
    EXPECT_DOUBLE_EQ(map.lambda(0, 1, 1), 0.30);
    EXPECT_DOUBLE_EQ(map.capture(0, 1, 1), 0.0);
    EXPECT_DOUBLE_EQ(map.capture(0, 2, 1), 0.45);
    EXPECT_EQ(map.residualizationSite(), 3);
}

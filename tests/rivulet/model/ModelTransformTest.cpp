// The transform of a model keeps every set of probabilities within what its fixed members leave.
#include "rivulet/model/ModelTransform.h"
#include "rivulet/model/ParameterBoundsCheck.h"
#include "rivulet/model/ParameterStructure.h"

#include <gtest/gtest.h>

namespace rivulet {
namespace {

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
    x[static_cast<std::size_t>(structure.captureIndex(0, 1, 1))] = -1e-3;
    EXPECT_TRUE(ParameterBoundsCheck::violation(structure, x).contains(QStringLiteral("-0.001")));
}

} // namespace
} // namespace rivulet

#include "SimulatedData.h"

#include "rivulet/model/CatalogueBuilder.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/summary/ReleaseSummary.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <memory>
#include <vector>

using rivulet::CatalogueBuilder;
using rivulet::DataClass;
using rivulet::EquatingScheme;
using rivulet::EstimabilityIndicators;
using rivulet::ModelCatalogue;
using rivulet::ModelDefinitionItem;
using rivulet::ParameterStructure;
using rivulet::ReleaseSummary;
using rivulet::test::SimulatedData;

namespace {

struct Lists
{
    std::vector<std::unique_ptr<ModelDefinitionItem>> definitions;
    std::vector<EquatingScheme> fitList;
};

Lists build(int dataClass, const EstimabilityIndicators& indicators = {})
{
    Lists lists;
    CatalogueBuilder(lists.definitions, lists.fitList)
        .build(static_cast<DataClass>(dataClass), indicators);
    return lists;
}

QStringList rowsOf(const Lists& lists)
{
    QStringList rows;
    for (const auto& item : lists.definitions) {
        rows << QStringLiteral("%1|%2|%3|%4%5")
                    .arg(item->kind())
                    .arg(item->name(), item->description())
                    .arg(item->captureCode())
                    .arg(item->survivalCode());
    }
    return rows;
}

} // namespace

// The names and texts the model list and every report show.
TEST(ModelCatalogue, OneClassPerShapeOfTheReleasesLaysOutHeadingsAndModels)
{
    EXPECT_EQ(rowsOf(build(0)),
              (QStringList{"4||Capture: Equated across all releases|10",
                           "0|M.n.1A|Survival and movement: Equated across all releases|11"}));
    EXPECT_EQ(rowsOf(build(2)),
              (QStringList{
                  "4||Capture: All release years unique|30",
                  "0|M.y.1A|Survival and movement: All release years unique|33",
                  "4||Capture: Equated across all release years|10",
                  "0|M.y.2A|Survival and movement: All release years unique|13",
                  "0|M.y.2B|Survival and movement: Equated across all release years|11",
              }));
    const Lists three = build(3);
    QStringList names;
    for (const auto& item : three.definitions) {
        names << (item->isHeading() ? QStringLiteral("[%1]").arg(item->captureCode())
                                    : item->name());
    }
    ASSERT_EQ(names, QStringList({"[4]", "M.ys.1A", "[2]", "M.ys.2A", "M.ys.2B", "[3]", "M.ys.3A",
                                  "M.ys.3B", "[1]", "M.ys.4A", "M.ys.4B", "M.ys.4C", "M.ys.4D"}));
    EXPECT_EQ(three.definitions[5]->description(),
              "Capture: Equated across all release sites, release years unique");
    EXPECT_EQ(three.definitions[10]->description(),
              "Survival and movement: Equated across all release years, release sites unique");
    EXPECT_TRUE(build(4).definitions.empty());
    // Every model is listed, but only those the indicators allow are fitted.
    EstimabilityIndicators pooledOnly;
    pooledOnly.eachRelease = false;
    pooledOnly.secondGroup = false;
    EXPECT_EQ(build(3, pooledOnly).fitList, (std::vector<EquatingScheme>{{1, 1}}));
    EXPECT_EQ(build(3, pooledOnly).definitions.size(), three.definitions.size());
    // Names of schemes outside the class's own list: the nearest listed model, or none.
    EXPECT_EQ(ModelCatalogue::modelName(DataClass::SeveralSitesOneYear, {2, 1}), "M.s.2B");
    EXPECT_EQ(ModelCatalogue::modelName(DataClass::OneSiteOneYear, {4, 4}), "M.n.1A");
}

TEST(ModelCatalogue, DataClassFromReleaseSitesAndYears)
{
    const auto classOf = [](const std::vector<int>& sites, const std::vector<int>& years) {
        SimulatedData data(rivulet::test::randomCounts(5, 3, sites, years, 42));
        ReleaseSummary summary(data.releases, data.sites, data.years, data.counts);
        return dataClassNumber(
            ModelCatalogue(data.releases, data.sites, data.years, summary).dataClass());
    };
    EXPECT_EQ(classOf({1}, {2}), 0);
    EXPECT_EQ(classOf({0, 1}, {1, 1}), 1);
    EXPECT_EQ(classOf({1, 1}, {0, 2}), 2);
    EXPECT_EQ(classOf({0, 1}, {0, 1}), 3);
}

TEST(ModelCatalogue, ApplyModelFixesThePathsNobodyTook)
{
    // One release, four sites, two years; no fish held over.
    const char* text = "1 4 2\n0\n0\n100\n\n"
                       "35\n40\n0\n10\n0\n15\n0\n" // release: never seen, s = 1..3 x y = 0..1
                       "5\n20\n0\n15\n0\n"         // group (1, 0)
                       "0\n0\n0\n"                 // group (1, 1)
                       "4\n26\n0\n"                // group (2, 0)
                       "0\n0\n";                   // group (2, 1)
    SimulatedData data{QString::fromLatin1(text)};
    ReleaseSummary summary(data.releases, data.sites, data.years, data.counts);
    summary.update();
    ModelCatalogue catalogue(data.releases, data.sites, data.years, summary);
    ParameterStructure structure(data.releases, data.sites, data.years);
    ASSERT_EQ(structure.numFree(), 12);
    catalogue.applyModel(1, 1, structure);

    // The hold-over paths nobody took are fixed at zero.
    EXPECT_EQ(structure.phiIndex(0, 1, 0, 1), ParameterStructure::Fixed);
    EXPECT_EQ(structure.phiFixed(0, 1, 0, 1), 0.0);
    // Paths that fish took stay free.
    EXPECT_GE(structure.phiIndex(0, 1, 0, 0), 0);
    EXPECT_GE(structure.phiIndex(0, 2, 0, 0), 0);
    EXPECT_GE(structure.lambdaIndex(0, 0, 0), 0);
    EXPECT_GE(structure.captureIndex(0, 1, 0), 0);
    EXPECT_LT(structure.numFree(), 12);
}

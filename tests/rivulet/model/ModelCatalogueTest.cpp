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
using rivulet::ReleasePos;
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

// Which indicators a model's fitting depends on.
enum Needs
{
    Pooled = 1,
    Each = 2,
    Second = 4
};

struct Row
{
    EquatingScheme scheme;
    int needs;
};

const std::vector<std::vector<Row>> kModelsByClass = {
    {{{1, 1}, Pooled}},
    {{{2, 2}, Each}, {{1, 2}, Pooled | Each}, {{1, 1}, Pooled}},
    {{{3, 3}, Each}, {{1, 3}, Pooled | Each}, {{1, 1}, Pooled}},
    {{{4, 4}, Second},
     {{2, 4}, Second | Each},
     {{2, 2}, Second},
     {{3, 4}, Second | Each},
     {{3, 3}, Second},
     {{1, 4}, Pooled | Each},
     {{1, 2}, Pooled | Second},
     {{1, 3}, Pooled | Second},
     {{1, 1}, Pooled}},
};

SimulatedData dataWith(int S, int Y, const std::vector<int>& sites, const std::vector<int>& years)
{
    return SimulatedData(rivulet::test::randomCounts(S, Y, sites, years, 42));
}

} // namespace

// The names and texts the model list and every report show.
TEST(ModelCatalogue, OneClassPerShapeOfTheReleasesLaysOutHeadingsAndModels)
{
    EXPECT_EQ(rowsOf(build(0)),
              (QStringList{"4||Capture: Equated across all releases|10",
                           "0|M.n.1A|Survival and movement: Equated across all releases|11"}));
    EXPECT_EQ(rowsOf(build(1)),
              (QStringList{
                  "4||Capture: All release sites unique|20",
                  "0|M.s.1A|Survival and movement: All release sites unique|22",
                  "4||Capture: Equated across all release sites|10",
                  "0|M.s.2A|Survival and movement: All release sites unique|12",
                  "0|M.s.2B|Survival and movement: Equated across all release sites|11",
              }));
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
    // Names of schemes outside the class's own list: the nearest listed model, or none.
    EXPECT_EQ(ModelCatalogue::modelName(DataClass::SeveralSitesOneYear, {2, 1}), "M.s.2B");
    EXPECT_EQ(ModelCatalogue::modelName(DataClass::OneSiteOneYear, {4, 4}), "M.n.1A");
    EXPECT_TRUE(ModelCatalogue::modelName(DataClass(5), {1, 1}).isEmpty());
    EXPECT_TRUE(ModelCatalogue::schemeText(DataClass::SeveralSitesOneYear, 3).isEmpty());
}

TEST(ModelCatalogue, FitListHoldsTheModelsWhoseConditionHolds)
{
    for (int dataClass = 0; dataClass < 4; ++dataClass) {
        for (int mask = 0; mask < 8; ++mask) {
            EstimabilityIndicators indicators;
            indicators.pooled = (mask & Pooled) != 0;
            indicators.eachRelease = (mask & Each) != 0;
            indicators.secondGroup = (mask & Second) != 0;
            const Lists lists = build(dataClass, indicators);
            std::vector<EquatingScheme> expected;
            std::vector<EquatingScheme> shown;
            for (const Row& row : kModelsByClass[static_cast<std::size_t>(dataClass)]) {
                shown.push_back(row.scheme);
                if ((row.needs & mask) == row.needs) {
                    expected.push_back(row.scheme);
                }
            }
            EXPECT_EQ(lists.fitList, expected) << "class " << dataClass << " mask " << mask;
            std::vector<EquatingScheme> models;
            for (const auto& item : lists.definitions) {
                if (!item->isHeading()) {
                    models.push_back(item->scheme());
                }
            }
            EXPECT_EQ(models, shown) << "every model is shown whatever the indicators";
        }
    }
}

TEST(ModelCatalogue, RebuildFollowsTheIncludedReleases)
{
    SimulatedData empty(QStringLiteral("0 4 2\n\n\n\n"));
    ReleaseSummary emptySummary(empty.releases, empty.sites, empty.years, empty.counts);
    emptySummary.update();
    ModelCatalogue none(empty.releases, empty.sites, empty.years, emptySummary);
    none.rebuild();
    EXPECT_TRUE(none.definitionItems().empty());
    EXPECT_TRUE(none.fitList().empty());

    // Two releases at the same site in the same year: one group, one model.
    SimulatedData twins = dataWith(4, 1, {0, 0}, {0, 0});
    ReleaseSummary summary(twins.releases, twins.sites, twins.years, twins.counts);
    summary.update();
    ModelCatalogue catalogue(twins.releases, twins.sites, twins.years, summary);
    EXPECT_EQ(catalogue.dataClass(), DataClass::OneSiteOneYear);
    catalogue.rebuild();
    ASSERT_EQ(catalogue.definitionItems().size(), 2u);
    EXPECT_TRUE(catalogue.definitionItems()[0]->isHeading());
    EXPECT_EQ(catalogue.definitionItems()[1]->name(), "M.n.1A");
    EXPECT_EQ(catalogue.fitList().size(), summary.pooledEstimable() ? 1u : 0u);

    // A rebuild replaces the lists.
    catalogue.rebuild();
    EXPECT_EQ(catalogue.definitionItems().size(), 2u);
}

TEST(ModelCatalogue, DataClassFromReleaseSitesAndYears)
{
    const auto classOf = [](const std::vector<int>& sites, const std::vector<int>& years) {
        SimulatedData data = dataWith(5, 3, sites, years);
        ReleaseSummary summary(data.releases, data.sites, data.years, data.counts);
        return dataClassNumber(
            ModelCatalogue(data.releases, data.sites, data.years, summary).dataClass());
    };
    EXPECT_EQ(classOf({1}, {2}), 0);
    EXPECT_EQ(classOf({0, 1}, {1, 1}), 1);
    EXPECT_EQ(classOf({1, 1}, {0, 2}), 2);
    EXPECT_EQ(classOf({0, 1}, {0, 1}), 3);
}

TEST(ModelCatalogue, ApplyModelFixesWhatTheSummaryMarks)
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

    int marked = 0;
    for (const auto& [key, cell] : summary.transitionCells(ReleasePos{0})) {
        const bool final = key.site == 3;
        const int index =
            final ? structure.lambdaIndex(0, key.upstreamYear, key.downstreamYear)
                  : structure.phiIndex(0, key.site, key.upstreamYear, key.downstreamYear);
        const double fixedValue =
            final ? structure.lambdaFixed(0, key.upstreamYear, key.downstreamYear)
                  : structure.phiFixed(0, key.site, key.upstreamYear, key.downstreamYear);
        if (index == ParameterStructure::NoParameter) {
            continue;
        }
        if (cell.fixedAtOne || cell.fixedAtZero) {
            ++marked;
            EXPECT_EQ(index, ParameterStructure::Fixed);
            EXPECT_EQ(fixedValue, cell.fixedAtOne ? 1.0 : 0.0);
        } else {
            EXPECT_GE(index, 0);
        }
    }
    for (const auto& [key, cell] : summary.captureCells(ReleasePos{0})) {
        const int index = structure.captureIndex(0, key.site, key.year);
        if (index == ParameterStructure::NoParameter) {
            continue;
        }
        if (cell.fixedAtZero) {
            ++marked;
            EXPECT_EQ(index, ParameterStructure::Fixed);
            EXPECT_EQ(structure.captureFixed(0, key.site, key.year), 0.0);
        } else {
            EXPECT_GE(index, 0);
        }
    }
    // The hold-over paths nobody took are fixed at zero.
    EXPECT_EQ(structure.phiIndex(0, 1, 0, 1), ParameterStructure::Fixed);
    EXPECT_EQ(structure.phiFixed(0, 1, 0, 1), 0.0);
    EXPECT_GT(marked, 0);
    EXPECT_EQ(structure.numFree(), 12 - marked);
}

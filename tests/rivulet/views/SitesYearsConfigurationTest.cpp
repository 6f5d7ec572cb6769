// The "Sites and Years Configuration" window: its edits re-derive the study and rebuild the
// tabs, and counts that make a model unestimable are red exactly where they do.
#include "WindowFixture.h"

#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/summary/ReleaseSummary.h"
#include "rivulet/views/ConfigSitesYearsWidget.h"
#include "rivulet/views/DiagramItems.h"
#include "rivulet/views/RivuletDiagram.h"

#include <QGraphicsView>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>

#include <set>

namespace rivulet::test {
namespace {

int siteBars(const RivuletDiagram& diagram)
{
    int bars = 0;
    for (const QGraphicsItem* item : diagram.items())
        bars += dynamic_cast<const SiteGraphicsItem*>(item) != nullptr;
    return bars;
}

// The last release is so thin that some of its paths see no fish.
class SitesYearsConfiguration : public WindowFixture
{
protected:
    sim::StudyDesign design() const override
    {
        sim::StudyDesign thin = smallDesign();
        thin.sparseReleaseFish = 6;
        return thin;
    }

    ConfigSitesYearsWidgetBase* openView()
    {
        if (!trigger(nav::sitesYears))
            return nullptr;
        return qobject_cast<ConfigSitesYearsWidgetBase*>(window->windowWidget(View::SitesYears));
    }

    // What the study holds and the view shows after an edit has been re-derived.
    void expectShape(ConfigSitesYearsWidgetBase& view, int sites, int years)
    {
        const Study& study = window->study();
        EXPECT_TRUE(study.isUpToDate() && view.isEnabled());
        const CountMatrix& counts =
            study.nextDetections().releaseNextCounts(ReleaseId{study.releases().ids().first()});
        EXPECT_EQ(counts.columns(), sites - 1);
        EXPECT_EQ(counts.rows(), years);
        EXPECT_EQ(siteBars(*view.diagram(0)), sites - 1);
    }

    // Tabs whose title is red, and the paths drawn red, per tab; each path red exactly when
    // no fish tested a path that is neither exempt nor fixed at one.
    void expectRedExactlyWhereUnestimable(ConfigSitesYearsWidgetBase& view)
    {
        const ReleaseSummary& summary = window->study().summary();
        bool sawRed = false;
        for (int r = 0; r < window->study().releases().count(); ++r) {
            std::set<PathKey> unestimable;
            for (const auto& [key, cell] : summary.transitionCells(ReleasePos{r})) {
                if (!cell.exempt && !cell.fixedAtOne && cell.testCount == 0)
                    unestimable.insert(key);
            }
            std::set<PathKey> red;
            for (const PathGraphicsItem* path : view.diagram(r)->paths()) {
                if (path->pen().color() == QColor(Qt::red)) {
                    red.insert(path->key());
                    EXPECT_EQ(path->pen().width(), 3);
                    EXPECT_EQ(path->label()->toPlainText(), QStringLiteral("0"));
                }
            }
            EXPECT_EQ(red, unestimable) << r;
            const bool estimable = summary.releaseEstimable(ReleasePos{r});
            EXPECT_EQ(estimable, red.empty()) << r;
            EXPECT_EQ(view.tabWidget()->tabBar()->tabTextColor(r),
                      QColor(estimable ? Qt::black : Qt::red));
            view.tabWidget()->setCurrentIndex(r);
            EXPECT_EQ(view.noteEdit()->toPlainText().isEmpty(), estimable) << r;
            sawRed = sawRed || !red.empty();
        }
        EXPECT_TRUE(sawRed);
    }
};

TEST_F(SitesYearsConfiguration, CountsThatMakeAModelUnestimableAreRedAndEditsAreDerivedAgain)
{
    openWindow(false);
    ASSERT_TRUE(load());
    auto* view = qobject_cast<ConfigSitesYearsWidget*>(openView());
    ASSERT_NE(view, nullptr);
    const int sites = window->study().sites().count();
    const int years = window->study().years().count();
    ASSERT_GE(sites, 5);
    ASSERT_EQ(years, 2);
    // Two releases in one year (data class 1): their tabs and the pooled one.
    ASSERT_EQ(view->tabWidget()->count(), 3);
    EXPECT_EQ(view->tabWidget()->tabText(2), QStringLiteral("AllReleases"));
    expectShape(*view, sites, years);
    expectRedExactlyWhereUnestimable(*view);

    const QStringList names = window->study().sites().shortNames();
    // Sites 0 and 1 release fish; site 2 is the first that only detects.
    EXPECT_TRUE(view->siteMenuEntries(names.at(1)).isEmpty());
    EXPECT_EQ(
        view->siteMenuEntries(names.at(2)),
        QStringList({QStringLiteral("Remove site ") + names.at(2),
                     QStringLiteral("Set ") + names.at(2) + QStringLiteral(" as last site")}));
    EXPECT_TRUE(view->yearMenuEntries(window->study().years().yearLabels().at(0)).isEmpty());

    // A diagram wider than its window opens at its left edge and keeps its place across an
    // edit.
    view->parentWidget()->resize(260, 300);
    view->parentWidget()->show();
    QCoreApplication::processEvents();
    const auto diagramView = [view] {
        return qobject_cast<QGraphicsView*>(view->tabWidget()->currentWidget());
    };
    ASSERT_NE(diagramView(), nullptr);
    const QScrollBar* bar = diagramView()->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), bar->minimum() + 40);
    EXPECT_EQ(bar->value(), bar->minimum());
    const int place = bar->minimum() + 40;
    diagramView()->horizontalScrollBar()->setValue(place);

    view->chooseSiteEntry(names.at(2), 0);
    ASSERT_TRUE(settle());
    QCoreApplication::processEvents();
    EXPECT_EQ(diagramView()->horizontalScrollBar()->value(), place);
    expectShape(*view, sites - 1, years);
    EXPECT_FALSE(window->study().sites().shortNames().contains(names.at(2)));

    view->chooseSiteEntry(names.at(3), 1);
    ASSERT_TRUE(settle());
    // Site 3 is now at position 2 and the last one: every site below it merged into it.
    expectShape(*view, 3, years);
    EXPECT_EQ(window->study().sites().shortNames().last(),
              names.at(3) + QStringLiteral(" & downstream"));

    view->chooseYearEntry(window->study().years().yearLabels().at(1), 0);
    ASSERT_TRUE(settle());
    expectShape(*view, 3, 1);

    view->onResetClicked();
    ASSERT_TRUE(settle());
    expectShape(*view, sites, years);
    EXPECT_EQ(window->study().sites().shortNames(), names);
}

} // namespace
} // namespace rivulet::test

// The "Graphical Results" window of the best model on a small simulated study: one path per
// survival-and-movement parameter, labels at the report precision, and a hovered label.
#include "WindowFixture.h"

#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/summary/ReleaseSummary.h"
#include "rivulet/views/DiagramItems.h"
#include "rivulet/views/EstimatesWidget.h"
#include "rivulet/views/ModelEstimateItem.h"
#include "rivulet/views/RivuletDiagram.h"

#include <QBrush>
#include <QGraphicsSceneHoverEvent>
#include <QLabel>
#include <QTabWidget>
#include <QTableView>

namespace rivulet::test {
namespace {

using GraphicalResults = WindowFixture;

TEST_F(GraphicalResults, OnePathPerParameterLabelledAtTheReportPrecisionAndAHoveredLabel)
{
    openWindow(false);
    ASSERT_TRUE(load());
    ASSERT_TRUE(trigger(nav::fitAllModels));
    ASSERT_TRUE(trigger(nav::graphicalResults));
    auto* widget = qobject_cast<EstimatesWidget*>(window->windowWidget(View::Diagram));
    ASSERT_NE(widget, nullptr);
    const ModelResult* result = window->selectedModelItem()->result();
    ASSERT_NE(result, nullptr);
    const Study& study = window->study();
    const int lastSite = study.sites().count() - 1;
    ASSERT_EQ(widget->tabWidget()->count(), 2);

    for (int r = 0; r < 2; ++r) {
        RivuletDiagram* diagram = widget->diagram(r);
        int parameters = 0;
        for (const auto& [key, cell] : study.summary().transitionCells(ReleasePos{r})) {
            if (cell.exempt)
                continue;
            ++parameters;
            const double estimate =
                key.site < lastSite
                    ? result->parameters->phi(r, key.site, key.upstreamYear, key.downstreamYear)
                    : result->parameters->lambda(r, key.upstreamYear, key.downstreamYear);
            PathGraphicsItem* path = diagram->findPath(key);
            ASSERT_NE(path, nullptr);
            // Four decimals: the precision the fixture sets for the reports.
            EXPECT_EQ(path->label()->toPlainText(), QString::number(estimate, 'f', 4));
        }
        EXPECT_GT(parameters, 0);
        EXPECT_EQ(diagram->paths().size(), parameters) << r;
    }

    // The first reach of release 0 (released at site 0) into site 1 in the first year.
    RivuletDiagram* diagram = widget->diagram(0);
    const PathKey first{1, 0, 0};
    PathGraphicsItem* path = diagram->findPath(first);
    ASSERT_NE(path, nullptr);
    QGraphicsSceneHoverEvent enter(QEvent::GraphicsSceneHoverEnter);
    diagram->sendEvent(path->label(), &enter);
    EXPECT_EQ(path->pen().width(), 3);
    const QString site1 = study.sites().shortNames().at(1);
    const QString year0 = study.years().yearLabels().at(0);
    EXPECT_EQ(widget->infoLabel()->text(), QStringLiteral("The probability of a released fish "
                                                          "migrating to site ") +
                                               site1 + QStringLiteral(" in ") + year0);
    // Its estimate in the table, and only it, is highlighted.
    QAbstractItemModel* table = widget->tableView()->model();
    ASSERT_EQ(table, widget->tableModel(0));
    QStringList highlighted;
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columnCount(); ++column) {
            if (table->index(row, column).data(Qt::BackgroundRole).value<QBrush>() ==
                QBrush(Qt::yellow))
                highlighted << table->headerData(row, Qt::Vertical).toString() + ' ' +
                                   table->headerData(column, Qt::Horizontal).toString() + ' ' +
                                   table->index(row, column).data().toString().section(' ', 0, 0);
        }
    }
    EXPECT_EQ(highlighted, QStringList(year0 + '-' + year0 + " Release-" + site1 + ' ' +
                                       path->label()->toPlainText()));
    QGraphicsSceneHoverEvent leave(QEvent::GraphicsSceneHoverLeave);
    diagram->sendEvent(path->label(), &leave);
    EXPECT_TRUE(widget->infoLabel()->text().isEmpty());
}

} // namespace
} // namespace rivulet::test

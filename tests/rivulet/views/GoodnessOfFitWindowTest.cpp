// The "Goodness of Fit" window on a simulated study, driven through its real slots: the
// component table, the c-hat figures and the histogram of the bootstrap deviances, and a run
// canceled midway.
#include "WindowFixture.h"

#include "rivulet/model/EstimationResults.h"
#include "rivulet/study/GofJob.h"
#include "rivulet/views/GoodnessOfFitWidget.h"
#include "rivulet/views/ModelEstimateModel.h"
#include "rivulet/views/ResultsTableModel.h"
#include "rivulet/views/RivuletSettingsWidget.h"

#include <QDoubleSpinBox>
#include <QMdiSubWindow>
#include <QTableView>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>

namespace rivulet::test {
namespace {

using GoodnessOfFitWindow = WindowFixture;

TEST_F(GoodnessOfFitWindow, ShowsTheTestsTheChatFiguresAndTheDevianceHistogramAndCancels)
{
    openWindow(true);
    EXPECT_FALSE(enabled(nav::goodnessOfFit));
    prompts->files << file(sim::StudySimulator::CountsFile);
    ASSERT_TRUE(trigger(nav::loadSimulatedData));
    ASSERT_TRUE(enabled(nav::goodnessOfFit));
    ASSERT_TRUE(trigger(nav::goodnessOfFit));
    auto* widget = qobject_cast<GoodnessOfFitWidget*>(window->windowWidget(View::GoodnessOfFit));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->replicatesSpinBox()->value(),
              RivuletSettings::instance().value(RivuletSettings::GofBootstrapReplicates).toInt());

    widget->replicatesSpinBox()->setValue(20);
    widget->seedSpinBox()->setValue(5);
    widget->runButton()->click();
    EXPECT_TRUE(widget->cancelButton()->isEnabled());
    ASSERT_TRUE(waitForRun(*widget));
    ASSERT_NE(widget->job(), nullptr);
    const gof::ComponentSummary& components = widget->job()->components();
    // A row per table, then the seven totals, the overall one last.
    QTableWidget* table = widget->componentTable();
    ASSERT_EQ(table->rowCount(), static_cast<int>(components.tables.size()) + 7);
    EXPECT_EQ(table->item(table->rowCount() - 1, 0)->text(), "Overall");
    EXPECT_EQ(table->item(table->rowCount() - 1, 3)->text(),
              QString::number(components.overall.chiSquare, 'f', 3));
    EXPECT_EQ(widget->progressBar()->value(), 100);

    ASSERT_TRUE(widget->job()->hasModelFit()) << widget->job()->modelError().toStdString();
    const gof::ParametricBootstrap::Result& fit = widget->job()->modelFit();
    ASSERT_EQ(fit.requested, 20);
    ASSERT_TRUE(fit.chat.has_value());
    const QString text = widget->chatLabel()->text();
    EXPECT_TRUE(text.contains("Bootstrap (20 simulated studies, seed 5")) << text.toStdString();
    EXPECT_TRUE(text.contains("c-hat " + QString::number(*fit.chat, 'f', 3))) << text.toStdString();
    EXPECT_TRUE(text.contains("Fletcher's c-hat")) << text.toStdString();

    // The histogram holds every fitted replicate once; the red line stands at the observed
    // deviance.
    const QList<QtCharts::QAbstractSeries*> series = widget->chartView()->chart()->series();
    ASSERT_EQ(series.size(), 2);
    const auto* histogram = qobject_cast<QtCharts::QAreaSeries*>(series[0]);
    const auto* observed = qobject_cast<QtCharts::QLineSeries*>(series[1]);
    ASSERT_TRUE(histogram && observed);
    const QVector<QPointF> outline = histogram->upperSeries()->pointsVector();
    double counted = 0.0;
    for (int i = 1; i + 1 < outline.size(); i += 2)
        counted += outline[i].y();
    EXPECT_EQ(counted, static_cast<double>(fit.deviances.size()));
    ASSERT_EQ(observed->count(), 2);
    EXPECT_DOUBLE_EQ(observed->at(0).x(), fit.deviance);

    // A long run canceled at once ends as canceled, with the tests still shown and no c-hat.
    widget->replicatesSpinBox()->setValue(100000);
    widget->runButton()->click();
    widget->cancelButton()->click();
    ASSERT_TRUE(waitForRun(*widget));
    EXPECT_TRUE(widget->chatLabel()->text().startsWith("Canceled."))
        << widget->chatLabel()->text().toStdString();
    EXPECT_FALSE(widget->cancelButton()->isEnabled());
    EXPECT_TRUE(widget->chartView()->chart()->series().isEmpty());
}

// A c-hat set in the settings is the study's: the next fit's comparison adds the
// quasi-likelihood columns, and 1 again takes them away.
TEST_F(GoodnessOfFitWindow, ChatOfTheSettingsAddsTheQuasiLikelihoodColumnsToTheComparison)
{
    // The program's start-up puts the estimation settings, c-hat among them, in the database.
    RivuletSettings::instance().addDatabaseSettings(rdb.database(), rdb.model(RivuletDb::Settings));
    openWindow(false);
    ASSERT_TRUE(load());
    window->showSettingsWidget();
    auto* settings = qobject_cast<RivuletSettingsWidget*>(window->windowWidget(View::Settings));
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(settings->chatSpinBox()->isEnabled());
    const auto fitWithChat = [&](double chat) {
        settings->chatSpinBox()->setValue(chat);
        settings->applyButton()->click();
        EXPECT_DOUBLE_EQ(RivuletSettings::instance().value(RivuletSettings::Chat).toDouble(), chat);
        EXPECT_TRUE(trigger(nav::fitAllModels));
        QMdiSubWindow* comparison = window->subWindow(View::ModelComparison);
        EXPECT_NE(comparison, nullptr);
        return comparison ? qobject_cast<QTableView*>(comparison->widget())->model() : nullptr;
    };
    const QAbstractItemModel* table = fitWithChat(2.5);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->columnCount(), ResultsTableModel::QuasiColumnCount);
    EXPECT_EQ(table->headerData(ResultsTableModel::QaiccColumn, Qt::Horizontal).toString(),
              "QAICc (c-hat 2.5)");
    EXPECT_DOUBLE_EQ(window->study().results().varianceInflation(), 2.5);
    const int best = window->modelTree().bestRow();
    EXPECT_EQ(table->index(best, ResultsTableModel::QaiccColumn + 1).data().toString(), "0.0000");

    table = fitWithChat(1.0);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->columnCount(), ResultsTableModel::ColumnCount);
    EXPECT_DOUBLE_EQ(window->study().results().varianceInflation(), 1.0);
    settings->doneButton()->click();
}

} // namespace
} // namespace rivulet::test

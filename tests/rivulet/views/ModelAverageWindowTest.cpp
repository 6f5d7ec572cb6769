// The model comparison's AICc columns, the criterion that marks the best model, and the
// "Model-Averaged Estimates" report of the window, on a fitted simulated study.
#include "WindowFixture.h"

#include "lum/report/QtReport.h"
#include "lum/ui/QtRTextWidget.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/reports/ModelEstimateItem.h"
#include "rivulet/study/Study.h"
#include "rivulet/study/StudyActions.h"
#include "rivulet/views/ModelEstimateModel.h"
#include "rivulet/views/RivuletSettingsWidget.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QTextEdit>

namespace rivulet::test {
namespace {

using ModelAverageWindow = WindowFixture;

TEST_F(ModelAverageWindow, ComparisonShowsAiccAndWeightsAndTheAveragedReportOpens)
{
    RivuletSettings::instance().setValue(RivuletSettings::BestModelCriterion, 0);
    openWindow(true);
    prompts->files << file(sim::StudySimulator::CountsFile);
    ASSERT_TRUE(trigger(RivuletWindow::LoadSimulatedDataItem));
    EXPECT_FALSE(enabled(RivuletWindow::ModelAverageReportItem));
    ASSERT_TRUE(trigger(RivuletWindow::FitAllModelsItem));
    const EstimationResults& results = window->study().results();
    ASSERT_GT(results.count(), 1);
    EXPECT_TRUE(enabled(RivuletWindow::ModelAverageReportItem));

    QMdiSubWindow* comparison = window->subWindow(RivuletWindow::ModelComparisonWindow);
    ASSERT_NE(comparison, nullptr);
    const QAbstractItemModel* table = qobject_cast<QTableView*>(comparison->widget())->model();
    ASSERT_EQ(table->columnCount(), 7);
    EXPECT_EQ(table->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Ln Likelihood"));
    EXPECT_EQ(table->headerData(4, Qt::Horizontal).toString(), QStringLiteral("AICc"));
    EXPECT_EQ(table->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Delta AICc"));
    EXPECT_EQ(table->headerData(6, Qt::Horizontal).toString(), QStringLiteral("Weight"));
    // 800 fish released: AICc = AIC + 2K(K + 1) / (800 − K − 1), shown with 4 decimals.
    double weights = 0.0;
    int estimated = 0;
    for (int row = 0; row < table->rowCount(); ++row) {
        const ModelEstimateItem* item = window->modelTree().itemAt(row);
        if (!item->isEstimated())
            continue;
        ++estimated;
        const double k = item->result()->numParameters();
        EXPECT_NEAR(table->index(row, 4).data().toString().toDouble(),
                    item->result()->aic + 2 * k * (k + 1) / (800 - k - 1), 1e-4);
        weights += table->index(row, 6).data().toString().toDouble();
    }
    EXPECT_EQ(estimated, results.count());
    EXPECT_NEAR(weights, 1.0, 1e-3 * estimated);
    ASSERT_NE(window->modelTree().comparison(), nullptr);
    EXPECT_EQ(window->modelTree().comparison()->criterion(), ModelSelectionCriterion::Aic);

    // Marking by AICc moves the yellow row to the model with the lowest AICc.
    window->showSettingsWidget();
    auto* settings = qobject_cast<RivuletSettingsWidget*>(
        window->subWindow(RivuletWindow::SettingsWindow)->widget());
    ASSERT_NE(settings, nullptr);
    settings->aiccCheckBox()->setChecked(true);
    settings->applyButton()->click();
    ASSERT_TRUE(settle());
    ASSERT_NE(window->modelTree().comparison(), nullptr);
    EXPECT_EQ(window->modelTree().comparison()->criterion(), ModelSelectionCriterion::Aicc);
    const StudyActions actions(window->study(), window->runner());
    const ModelComparison byAicc = actions.comparison(ModelSelectionCriterion::Aicc);
    const EquatingScheme aiccBest =
        byAicc.rows()[static_cast<std::size_t>(byAicc.bestIndex())].scheme;
    ASSERT_NE(window->modelTree().best(), nullptr);
    EXPECT_EQ(window->modelTree().best()->key(), aiccBest);
    EXPECT_EQ(table->index(window->modelTree().bestRow(), 5).data().toString(),
              QStringLiteral("0.0000"));

    ASSERT_TRUE(trigger(RivuletWindow::ModelAverageReportItem));
    QMdiSubWindow* report = window->subWindow(RivuletWindow::ModelAverageReportWindow);
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(report->isVisible());
    EXPECT_EQ(report->windowTitle(), QStringLiteral("Model-Averaged Estimates"));
    auto* viewer = qobject_cast<lum::QtRTextWidget*>(report->widget());
    ASSERT_NE(viewer, nullptr);
    const QString text = viewer->editor()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Averaged over %1 model(s)").arg(results.count())))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("cohort_survival"))) << text.toStdString();
    RivuletSettings::instance().setValue(RivuletSettings::BestModelCriterion, 0);
}

} // namespace
} // namespace rivulet::test

// The "Study Design" window on a simulated study, driven through its real slots: the run with
// its table, chart and answer, the two saves, a run canceled midway, and the window closing when
// the results change under it.
#include "WindowFixture.h"

#include "rivulet/model/EstimationResults.h"
#include "rivulet/study/DesignJob.h"
#include "rivulet/views/StudyDesignWidget.h"

#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>

#include <cmath>

namespace rivulet::test {
namespace {

using StudyDesignWindow = WindowFixture;

QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(StudyDesignWindow, RunsShowsTheCurveTheTableAndTheAnswerSavesAndCancels)
{
    openWindow(true);
    prompts->files << file(sim::StudySimulator::CountsFile);
    ASSERT_TRUE(trigger(nav::loadSimulatedData));
    // A fitted model is the truth it starts from.
    EXPECT_FALSE(enabled(nav::studyDesign));
    ASSERT_TRUE(trigger(nav::fitAllModels));
    ASSERT_TRUE(enabled(nav::studyDesign));
    ASSERT_TRUE(trigger(nav::studyDesign));
    auto* widget = qobject_cast<StudyDesignWidget*>(window->windowWidget(View::StudyDesign));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->modelBox()->count(), window->study().results().count());
    EXPECT_EQ(widget->modelBox()->currentData().toInt(), window->study().results().bestIndex());

    widget->fishEdit()->setText("1200, 300");
    widget->replicatesSpinBox()->setValue(8);
    widget->seedSpinBox()->setValue(2);
    widget->targetEdit()->setText("final:10%");
    widget->runButton()->click();
    EXPECT_TRUE(widget->cancelButton()->isEnabled());
    ASSERT_TRUE(waitForRun(*widget));
    ASSERT_NE(widget->job(), nullptr);
    const design::DesignRun::Result& result = widget->job()->result();
    EXPECT_EQ(result.fish, (std::vector<int>{300, 1200}));
    ASSERT_FALSE(result.rows.empty());
    EXPECT_EQ(widget->progressBar()->value(), 100);
    EXPECT_EQ(widget->table()->rowCount(), static_cast<int>(result.rows.size()));
    EXPECT_EQ(widget->table()->item(0, 1)->text(), result.rows.front().quantity);

    // Per final survival a simulated and an expected curve over both fish numbers, then the
    // target line.
    int finals = 0;
    for (const design::DesignRow& row : result.rows)
        finals += row.finalSurvival && row.fish == 300;
    ASSERT_GT(finals, 0);
    const QList<QtCharts::QAbstractSeries*> series = widget->chartView()->chart()->series();
    ASSERT_EQ(series.size(), 2 * finals + 1);
    const auto* first = qobject_cast<QtCharts::QLineSeries*>(series.front());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->count(), 2);
    // On the log scale, ticked at the fish numbers run.
    EXPECT_DOUBLE_EQ(first->at(0).x(), std::log10(300.0));
    auto* fishAxis = qobject_cast<QtCharts::QCategoryAxis*>(
        widget->chartView()->chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(fishAxis, nullptr);
    EXPECT_EQ(fishAxis->categoriesLabels().value(0), "300");
    const auto* target = qobject_cast<QtCharts::QLineSeries*>(series.back());
    ASSERT_NE(target, nullptr);
    EXPECT_DOUBLE_EQ(target->at(0).y(), 0.1);
    const design::DesignAnswer answer =
        design::answerTarget(result.rows, *design::DesignTarget::parse("final:0.1"));
    ASSERT_TRUE(answer.found);
    EXPECT_TRUE(widget->answerLabel()->text().contains(
        QStringLiteral("%1 fish per release").arg(answer.fish)))
        << widget->answerLabel()->text().toStdString();

    const QString csv = file("design.csv");
    prompts->files << csv;
    ASSERT_TRUE(widget->saveCsv());
    EXPECT_EQ(QString::fromUtf8(fileContents(csv)), design::designCsv(result.rows));
    const QString png = file("design.png");
    prompts->files << png;
    ASSERT_TRUE(widget->savePicture());
    const QImage picture(png);
    EXPECT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), widget->chartView()->size());

    // A long run canceled at once ends as canceled, without figures.
    widget->replicatesSpinBox()->setValue(100000);
    widget->runButton()->click();
    widget->cancelButton()->click();
    ASSERT_TRUE(waitForRun(*widget));
    EXPECT_TRUE(widget->answerLabel()->text().startsWith("Canceled."))
        << widget->answerLabel()->text().toStdString();
    EXPECT_TRUE(widget->chartView()->chart()->series().isEmpty());
    EXPECT_EQ(widget->table()->rowCount(), 0);

    // A bad fish list is refused before any run.
    widget->fishEdit()->setText("300,x");
    widget->runButton()->click();
    EXPECT_FALSE(widget->isRunning());
    EXPECT_TRUE(widget->answerLabel()->text().startsWith("Not run: "));

    // New results take the window away: its truth is gone.
    ASSERT_TRUE(trigger(nav::fitAllModels));
    EXPECT_EQ(window->windowWidget(View::StudyDesign), nullptr);
}

} // namespace
} // namespace rivulet::test

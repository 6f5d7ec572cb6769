// The application window from an empty study to compared models, their reports saved and
// printed, the settings followed, and all data cleared; counts-file studies; failed and canceled
// loads.
#include "WindowFixture.h"

#include "lum/ui/NavPanelItem.h"
#include "lum/ui/OutputDockWidget.h"
#include "lum/ui/QtRTextWidget.h"
#include "lum/ui/TableCopy.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/study/Study.h"
#include "rivulet/views/ConfigSitesYearsWidget.h"
#include "rivulet/views/ModelEstimateItem.h"
#include "rivulet/views/ModelEstimateModel.h"
#include "rivulet/views/ResultsTableModel.h"
#include "rivulet/views/RivuletInfoDialog.h"
#include "rivulet/views/RivuletSettingsWidget.h"

#include <QAbstractItemModel>
#include <QAbstractItemModelTester>
#include <QBrush>
#include <QCheckBox>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

namespace rivulet::test {
namespace {

QString readAll(const QString& path)
{
    QFile in(path);
    return in.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(in.readAll())
                                                          : QString();
}

void writeAll(const QString& path, const QByteArray& content)
{
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Text));
    ASSERT_EQ(out.write(content), content.size());
}

QString plainTextOfHtml(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

// The text a report sub-window shows.
QString shownText(RivuletWindow& window, ReportKind windowKey)
{
    QMdiSubWindow* sub = window.subWindow(windowKey);
    auto* viewer = sub ? qobject_cast<lum::QtRTextWidget*>(sub->widget()) : nullptr;
    return viewer ? viewer->editor()->toPlainText() : QString();
}

using WindowFlows = WindowFixture;

TEST_F(WindowFlows, FromAnEmptyStudyToSavedAndPrintedReportsAndBackToNoData)
{
    openWindow(false);
    // Empty: only the "Data" group works; windows of later work have no entries yet.
    EXPECT_TRUE(enabled(nav::loadObservations));
    for (const NavEntry* entry :
         {&nav::loadAgeData, &nav::fitAllModels, &nav::modelComparison, &nav::survivalReport})
        EXPECT_FALSE(enabled(*entry)) << entry->title.toStdString();

    prompts->files << file(sim::StudySimulator::ObservationsFile);
    ASSERT_TRUE(trigger(nav::loadObservations));
    EXPECT_EQ(prompts->fileRequests.last().title, QStringLiteral("Select Data File"));
    EXPECT_TRUE(lines().contains(QStringLiteral("Observation data loaded.")));
    EXPECT_EQ(window->study().releases().count(), 2);
    ASSERT_TRUE(enabled(nav::fitAllModels));
    auto* dockViewer =
        qobject_cast<lum::QtRTextWidget*>(window->dock(AppDock::ReleasesSummary)->widget());
    ASSERT_NE(dockViewer, nullptr);
    const QString summary = dockViewer->editor()->toPlainText();
    EXPECT_TRUE(summary.contains(QStringLiteral("400")));

    ASSERT_TRUE(trigger(nav::fitAllModels));
    EXPECT_TRUE(lines().contains(QStringLiteral("Estimating ...")));
    EXPECT_TRUE(lines().contains(QStringLiteral("Model estimation complete.")));
    const EstimationResults& results = window->study().results();
    ASSERT_GT(results.count(), 1);
    // The progress named the models as they were fitted, the last one last.
    EXPECT_EQ(window->progressDialog()->labelText(),
              QStringLiteral("Fitting model ") +
                  ModelCatalogue::modelName(window->study().catalogue().dataClass(),
                                            results.scheme(results.count() - 1)) +
                  QStringLiteral("..."));

    // The best model is selected, marked in the panel and yellow in the comparison.
    const EquatingScheme bestKey = results.scheme(results.bestIndex());
    EXPECT_EQ(window->currentModel(), bestKey);
    ASSERT_NE(window->navItem(bestKey), nullptr);
    EXPECT_TRUE(window->navItem(bestKey)->isSelected());
    QMdiSubWindow* comparison = window->subWindow(View::ModelComparison);
    ASSERT_NE(comparison, nullptr);
    const QAbstractItemModel* table = qobject_cast<QTableView*>(comparison->widget())->model();
    const int bestRow = window->modelTree().bestRow();
    EXPECT_EQ(table->index(bestRow, 1).data().toString(), QStringLiteral("0.0000"));
    EXPECT_EQ(table->index(bestRow, 0).data(Qt::BackgroundRole).value<QBrush>().color(),
              QColor(255, 255, 204));
    // A flat table whose every row is one selection range: a selection across the headings
    // copies every row (rows of different "parents" could not be selected together, and the
    // view lost track of its selection and stopped repainting).
    auto* comparisonView = qobject_cast<QTableView*>(comparison->widget());
    QAbstractItemModelTester tester(comparisonView->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    comparisonView->selectAll();
    EXPECT_EQ(lum::TableCopy::selectedText(*comparisonView->selectionModel()).count('\n'),
              table->rowCount());
    comparisonView->clearSelection();
    QStringList headers;
    for (int c = 0; c < table->columnCount(); ++c)
        headers << table->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers.mid(3),
              (QStringList{"Ln Likelihood", "AICc", "Delta AICc", "Weight", "Informed", "Fit"}));
    EXPECT_EQ(table->index(bestRow, ResultsTableModel::FitColumn).data().toString(),
              QStringLiteral("converged"));

    // Another estimated model from the panel: selected, and green in the comparison.
    const EquatingScheme otherKey = results.scheme(results.bestIndex() == 0 ? 1 : 0);
    ASSERT_TRUE(trigger(otherKey));
    EXPECT_FALSE(window->navItem(bestKey)->isSelected());
    const auto& rows = window->modelTree().rows();
    const auto other = std::find(rows.begin(), rows.end(), window->selectedModelItem());
    ASSERT_NE(other, rows.end());
    EXPECT_EQ(
        table->index(int(other - rows.begin()), 0).data(Qt::BackgroundRole).value<QBrush>().color(),
        QColor(204, 255, 153));
    ASSERT_TRUE(trigger(bestKey));

    const QString bestCode = window->selectedModelItem()->code();

    // Each report window: shown, saved as rich text and as CSV, and read back.
    const QString out = TestEnvironment::freshDir(QStringLiteral("window-reports"));
    const struct
    {
        const NavEntry& item;
        ReportKind window;
        const char* title;
        const char* file;
    } reports[] = {
        {nav::survivalReport, ReportKind::Survival, "Survival and Movement Parameter Estimates",
         "survival"},
        {nav::captureReport, ReportKind::Capture, "Capture Parameter Estimates", "capture"},
        {nav::performanceReport, ReportKind::Performance, "Performance Measures", "performance"},
    };
    for (const auto& report : reports) {
        SCOPED_TRACE(report.title);
        ASSERT_TRUE(trigger(report.item));
        QMdiSubWindow* sub = window->subWindow(report.window);
        ASSERT_NE(sub, nullptr);
        EXPECT_EQ(sub->windowTitle(), QString::fromLatin1(report.title));

        // Names typed without an extension get the one of the format written.
        const QString base = out + QLatin1Char('/') + QLatin1String(report.file);
        prompts->files << base;
        window->action(lum::LumMainWindow::ActionId::SaveAs)->trigger();
        EXPECT_EQ(prompts->fileRequests.last().filter,
                  QStringLiteral("HTML (*.html *.htm);;OpenDocument Text (*.odt)"));
        const QString saved = plainTextOfHtml(readAll(base + QStringLiteral(".html")));
        EXPECT_TRUE(saved.contains(QString::fromLatin1(report.title)));
        EXPECT_TRUE(saved.contains(bestCode));
        EXPECT_EQ(saved.trimmed(), shownText(*window, report.window).trimmed());

        const QString csv = base + QStringLiteral(".csv");
        prompts->files << base;
        window->action(lum::LumMainWindow::ActionId::SaveToCsv)->trigger();
        const QStringList csvLines = readAll(csv).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_TRUE(csvLines.join(QLatin1Char('\n')).contains(bestCode));
        EXPECT_EQ(prompts->messages.last().text, QStringLiteral("File \"%1\" created.").arg(csv));
    }

    ASSERT_TRUE(trigger(nav::modelAverageReport));
    EXPECT_TRUE(shownText(*window, ReportKind::ModelAverage)
                    .contains(QStringLiteral("Averaged over %1 model(s)").arg(results.count())));

    // Printing the active report into a PDF file, and its preview.
    prompts->pdfFile = out + QStringLiteral("/report.pdf");
    window->action(lum::LumMainWindow::ActionId::Print)->trigger();
    EXPECT_EQ(prompts->printTitles.last(), QStringLiteral("Print Document"));
    QFile pdf(prompts->pdfFile);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(4) == "%PDF");
    EXPECT_GT(pdf.size(), 1000);
    window->action(lum::LumMainWindow::ActionId::PrintPreview)->trigger();
    EXPECT_EQ(prompts->previewPaints, 1);

    // Settings: fewer decimals of estimates reach the open reports; marking by AICc moves the
    // best row to the lowest AICc; the expert switch off drops the model list.
    const QRegularExpression fourAndFour(QStringLiteral("\\d\\.\\d{4} \\(\\d\\.\\d{4}\\)"));
    const QRegularExpression twoAndFour(QStringLiteral("\\d\\.\\d{2} \\(\\d\\.\\d{4}\\)"));
    EXPECT_TRUE(shownText(*window, ReportKind::Capture).contains(fourAndFour));
    window->showSettingsWidget();
    auto* settingsWidget =
        qobject_cast<RivuletSettingsWidget*>(window->windowWidget(View::Settings));
    ASSERT_NE(settingsWidget, nullptr);
    settingsWidget->estimatesSpinBox()->setValue(2);
    settingsWidget->expertCheckBox()->setChecked(false);
    settingsWidget->aiccCheckBox()->setChecked(true);
    ASSERT_TRUE(settingsWidget->applyButton()->isEnabled());
    settingsWidget->applyButton()->click();
    ASSERT_TRUE(settle());
    EXPECT_EQ(RivuletSettings::instance().value(RivuletSettings::PrecisionEst).toInt(), 2);
    const QString capture = shownText(*window, ReportKind::Capture);
    EXPECT_TRUE(capture.contains(twoAndFour));
    EXPECT_FALSE(capture.contains(fourAndFour));
    EXPECT_EQ(table->index(window->modelTree().bestRow(), 5).data().toString(),
              QStringLiteral("0.0000"));
    EXPECT_EQ(window->navItem(nav::modelSelection), nullptr);
    settingsWidget->doneButton()->click();

    QCoreApplication::setApplicationVersion(QStringLiteral("3.2.1"));
    window->onHelpAbout();
    ASSERT_NE(window->aboutDialog(), nullptr);
    EXPECT_EQ(window->aboutDialog()->versionText(), QStringLiteral("v3.2.1"));
    window->aboutDialog()->accept();

    // "Clear All Data": Cancel keeps everything, OK empties the study.
    prompts->answers << QMessageBox::Cancel;
    window->action(AppAction::ClearAllData)->trigger();
    ASSERT_TRUE(settle());
    EXPECT_EQ(window->study().releases().count(), 2);
    EXPECT_NE(window->subWindow(View::ModelComparison), nullptr);
    prompts->answers << QMessageBox::Ok;
    window->action(AppAction::ClearAllData)->trigger();
    ASSERT_TRUE(settle());
    EXPECT_EQ(prompts->messages.last().title, QStringLiteral("Reset"));
    EXPECT_TRUE(lines().contains(QStringLiteral("All data deleted.")));
    EXPECT_EQ(window->study().releases().count(), 0);
    EXPECT_EQ(window->subWindow(ReportKind::Survival), nullptr);
    EXPECT_FALSE(enabled(nav::modelComparison));
    EXPECT_EQ(dockViewer->editor()->toPlainText(), QStringLiteral("No data loaded"));
}

TEST_F(WindowFlows, ACountsFileStudyLoadsFitsAndSavesItsNextDetections)
{
    openWindow(true);
    EXPECT_EQ(window->navItem(nav::loadObservations), nullptr);
    // Diagnostic tools come with a counts-file study even with the setting off.
    ASSERT_NE(window->navItem(nav::saveNextDetections), nullptr);

    // A malformed file is refused with its position; the study keeps nothing of it.
    const QString broken = folder + QStringLiteral("/broken.txt");
    writeAll(broken, "2 4 1\n0 x\n");
    prompts->files << broken;
    ASSERT_TRUE(trigger(nav::loadSimulatedData));
    ASSERT_FALSE(prompts->messages.isEmpty());
    EXPECT_EQ(prompts->messages.last().icon, QMessageBox::Critical);
    EXPECT_TRUE(prompts->messages.last().text.contains(QStringLiteral("integer expected")));
    EXPECT_EQ(window->study().releases().count(), 0);

    prompts->files << file(sim::StudySimulator::CountsFile);
    ASSERT_TRUE(trigger(nav::loadSimulatedData));
    EXPECT_EQ(window->study().releases().count(), 2);
    ASSERT_TRUE(trigger(nav::fitAllModels));
    EXPECT_TRUE(window->currentModel().has_value());
    // A counts file fixes its releases; its sites and years are shown, not edited.
    ASSERT_TRUE(trigger(nav::releasesCohorts));
    EXPECT_EQ(window->subWindow(View::ReleasesCohorts), nullptr);
    ASSERT_TRUE(trigger(nav::sitesYears));
    auto* shown = qobject_cast<ShowSitesYearsWidget*>(window->windowWidget(View::SitesYears));
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->resetButton()->isEnabled());

    // A target that cannot be opened is named as such, and the window takes the next action.
    const QString folderTarget = TestEnvironment::freshDir(QStringLiteral("window-next-dir"));
    prompts->files << folderTarget;
    ASSERT_TRUE(trigger(nav::saveNextDetections));
    EXPECT_EQ(prompts->messages.last().title, QStringLiteral("Save Next Detections"));
    EXPECT_EQ(prompts->messages.last().text,
              QStringLiteral("Unable to open file \"%1\" for writing.").arg(folderTarget));

    const QString saved =
        TestEnvironment::freshDir(QStringLiteral("window-next")) + QStringLiteral("/next.txt");
    prompts->files << saved;
    ASSERT_TRUE(trigger(nav::saveNextDetections));
    EXPECT_EQ(prompts->messages.last().text, QStringLiteral("Next Detections successfully saved."));
    EXPECT_EQ(RivuletSettings::instance().value(RivuletSettings::DiagDir).toString(),
              QFileInfo(saved).path());
}

TEST_F(WindowFlows, AFailedOrCanceledLoadLeavesTheStoredStudyAndSaysSo)
{
    openWindow(false);
    prompts->files << file(sim::StudySimulator::ObservationsFile);
    ASSERT_TRUE(trigger(nav::loadObservations));
    ASSERT_EQ(window->study().releases().count(), 2);
    const int releaseId = window->study().releases().ids().first();
    const int fish = window->study().fishCount(ReleaseId{releaseId});
    // Fitted results, their comparison and a report stay: the study they belong to is unchanged.
    ASSERT_TRUE(trigger(nav::fitAllModels));
    ASSERT_TRUE(trigger(nav::survivalReport));
    const std::optional<EquatingScheme> selected = window->currentModel();
    ASSERT_TRUE(selected.has_value());
    const auto resultsKept = [&] {
        EXPECT_FALSE(window->study().results().isEmpty());
        EXPECT_EQ(window->currentModel(), selected);
        EXPECT_NE(window->subWindow(View::ModelComparison), nullptr);
        EXPECT_NE(window->subWindow(ReportKind::Survival), nullptr);
        EXPECT_TRUE(enabled(nav::survivalReport));
    };

    // The first tag's release site unknown, on physical line 2 (below the titles comment).
    QStringList rows = readAll(file(sim::StudySimulator::ObservationsFile)).split('\n');
    ASSERT_GT(rows.size(), 4);
    QStringList fields = rows[1].split(',');
    ASSERT_GT(fields.size(), 11);
    fields[11] = QStringLiteral("NOSUCH");
    rows[1] = fields.join(',');
    const QString broken = folder + QStringLiteral("/broken.csv");
    writeAll(broken, rows.join('\n').toUtf8());

    prompts->files << broken;
    ASSERT_TRUE(trigger(nav::loadObservations));
    EXPECT_TRUE(lines().contains("Unrecognized release site at line 2 of \"" + broken +
                                 "\": column \"Release Site\" holds \"NOSUCH\""))
        << lines().join('\n').toStdString();
    EXPECT_TRUE(
        lines().contains(QStringLiteral("Load Data failed; the stored study is unchanged.")));
    EXPECT_EQ(prompts->messages.last().icon, QMessageBox::Critical);
    EXPECT_EQ(window->study().releases().count(), 2);
    EXPECT_EQ(window->study().fishCount(ReleaseId{releaseId}), fish);
    EXPECT_TRUE(enabled(nav::fitAllModels));
    resultsKept();

    // Canceled from the progress dialog as soon as it starts. The file is large enough that the
    // load cannot be over before the cancel, even on a busy machine.
    sim::StudyDesign large = design();
    large.fishPerRelease = 100000;
    const QString largeFolder = folder + QStringLiteral("/large");
    const auto written = sim::StudySimulator(large).run(largeFolder, false);
    ASSERT_TRUE(written) << written.error().text().toStdString();
    prompts->files << largeFolder + QLatin1Char('/') + sim::StudySimulator::ObservationsFile;
    window->openEntry(nav::loadObservations);
    EXPECT_FALSE(enabled(nav::loadObservations));
    window->onProgressCanceled();
    ASSERT_TRUE(settle());
    EXPECT_TRUE(
        lines().contains(QStringLiteral("Load Data canceled; the stored study is unchanged.")));
    EXPECT_EQ(window->study().releases().count(), 2);
    EXPECT_EQ(window->study().fishCount(ReleaseId{releaseId}), fish);
    EXPECT_TRUE(enabled(nav::loadObservations));
    resultsKept();

    // The stored study opens ready to fit in a new window on the same database.
    openWindow(false);
    EXPECT_EQ(window->study().releases().count(), 2);
    EXPECT_TRUE(enabled(nav::fitAllModels));
}

// The sample installed in a data folder of the desktop opens from the Data menu with its own
// sites configuration and its ages; asked over loaded data first.
TEST_F(WindowFlows, OpensTheInstalledSampleStudyWithItsOwnConfigurationAndAges)
{
    // A sample installed on the machine itself stays out of the case.
    qputenv("XDG_DATA_DIRS", QFile::encodeName(folder + QStringLiteral("/no-data")));
    QDir sample(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                QStringLiteral("/rivulet/sample"));
    openWindow(false);
    EXPECT_FALSE(window->action(AppAction::OpenSample)->isVisible());

    ASSERT_TRUE(sample.mkpath(QStringLiteral(".")));
    for (const char* name : {sim::StudySimulator::ConfigFile, sim::StudySimulator::ObservationsFile,
                             sim::StudySimulator::AgesFile})
        ASSERT_TRUE(QFile::copy(file(name), sample.filePath(name))) << name;
    ASSERT_TRUE(load());
    // A load that read the window's sites configuration instead of the sample's would fail.
    ASSERT_TRUE(QFile::remove(file(sim::StudySimulator::ConfigFile)));
    openWindow(false);
    QAction* open = window->action(AppAction::OpenSample);
    ASSERT_TRUE(open->isVisible());
    ASSERT_TRUE(open->isEnabled());
    EXPECT_FALSE(window->hasAgeData());

    open->trigger(); // answered Cancel: the loaded study stays
    ASSERT_TRUE(settle());
    EXPECT_FALSE(lines().contains(QStringLiteral("Age data loaded.")));

    prompts->answers << QMessageBox::Ok;
    open->trigger();
    ASSERT_TRUE(settle());
    EXPECT_TRUE(lines().contains(QStringLiteral("Observation data loaded.")));
    EXPECT_TRUE(lines().contains(QStringLiteral("Age data loaded.")));
    EXPECT_TRUE(window->hasAgeData());
    EXPECT_EQ(window->study().releases().count(), 2);
    EXPECT_TRUE(enabled(nav::fitAllModels));
    sample.removeRecursively();
}

// A first study from an empty profile: without a sites configuration the load asks for one,
// names the cause and the way out when none is given, and keeps the file chosen for later
// loads, the settings window and the next run.
TEST_F(WindowFlows, WithoutASitesConfigurationTheLoadAsksForOneAndKeepsIt)
{
    auto& settings = RivuletSettings::instance();
    const QString shared = settings.sitesConfigDir() + QDir::separator() +
                           settings.value(RivuletSettings::SitesConfigFileName).toString();
    QFile::remove(shared);
    openWindow(false, false);
    const QString wayOut = QStringLiteral("Edit > Settings > Sites Configuration");

    ASSERT_TRUE(trigger(nav::loadObservations));
    ASSERT_EQ(prompts->fileRequests.size(), 1) << "no data file is asked for";
    EXPECT_EQ(prompts->fileRequests.last().title,
              QStringLiteral("Select Sites Configuration File"));
    ASSERT_FALSE(prompts->messages.isEmpty());
    const QString declined = prompts->messages.last().text;
    EXPECT_TRUE(
        declined.contains(QDir::toNativeSeparators(shared) + QStringLiteral("\" does not exist")))
        << declined.toStdString();
    EXPECT_TRUE(declined.contains(wayOut)) << declined.toStdString();
    EXPECT_EQ(window->study().releases().count(), 0);

    const QString config = file(sim::StudySimulator::ConfigFile);
    prompts->files << config << file(sim::StudySimulator::ObservationsFile);
    ASSERT_TRUE(trigger(nav::loadObservations));
    EXPECT_EQ(window->study().releases().count(), 2);
    EXPECT_EQ(settings.value(RivuletSettings::SitesConfigChoice).toString(), config);

    // The next run: the settings window shows the file, and closing it keeps it.
    openWindow(false, false);
    EXPECT_EQ(window->sitesConfigPath(), config);
    window->showSettingsWidget();
    auto* widget = qobject_cast<RivuletSettingsWidget*>(window->windowWidget(View::Settings));
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->alternateConfigButton()->isChecked());
    widget->doneButton()->click();
    ASSERT_TRUE(settle());
    EXPECT_EQ(window->sitesConfigPath(), config);
    EXPECT_EQ(settings.value(RivuletSettings::SitesConfigChoice).toString(), config);

    // A file that describes no sites stops the load on that cause, with the way out.
    writeAll(config, "configDate: 2001.1.1\n");
    prompts->files << file(sim::StudySimulator::ObservationsFile);
    const int requests = prompts->fileRequests.size();
    ASSERT_TRUE(trigger(nav::loadObservations));
    EXPECT_EQ(prompts->fileRequests.size(), requests + 1);
    EXPECT_EQ(prompts->messages.last().text,
              QStringLiteral("No usable sites configuration: \"") + config +
                  QStringLiteral("\" describes no detection sites. Choose a sites configuration "
                                 "file in ") +
                  wayOut + QLatin1Char('.'));
    EXPECT_EQ(window->study().releases().count(), 2);
}

// The docks come back as the user left them at the last close.
TEST_F(WindowFlows, DocksAreRestoredAfterARestart)
{
    openWindow(false);
    QDockWidget* summary = window->dock(AppDock::ReleasesSummary);
    ASSERT_NE(summary, nullptr);
    EXPECT_TRUE(summary->isVisible());
    summary->hide();
    window->close();
    openWindow(false);
    EXPECT_FALSE(window->dock(AppDock::ReleasesSummary)->isVisible());
}

} // namespace
} // namespace rivulet::test

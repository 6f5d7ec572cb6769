// The main window framework driven through its own operations and slots, offscreen.
#include "lum/ui/LumMainWindow.h"
#include "common/TestEnvironment.h"
#include "lum/report/QtReport.h"
#include "lum/thread/ThreadRunner.h"
#include "lum/ui/NavPanelItem.h"
#include "lum/ui/NavPanelModel.h"
#include "lum/ui/NavPanelView.h"
#include "lum/ui/ScriptedPrompts.h"

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <atomic>

namespace {

class RecordingWindow : public lum::LumMainWindow
{
public:
    RecordingWindow() : lum::LumMainWindow(nullptr, QStringLiteral("Test")) {}
    void onNavItemOpened(int key) override { keys << key; }
    using lum::LumMainWindow::onNavItemOpened;
    QList<int> keys;
};

class TitleReport : public lum::QtReport
{
public:
    TitleReport() : lum::QtReport(0, nullptr) {}

protected:
    void buildReport() override { QTextCursor(document()).insertText(QStringLiteral("Hello")); }
};

// Holds the runner's thread until released.
class BlockingJob : public lum::ThreadRunnable
{
public:
    using lum::ThreadRunnable::ThreadRunnable;
    void run() override
    {
        while (!release.load() && !cancelRequested())
            QThread::msleep(5);
    }
    std::atomic<bool> release{false};
};

QStringList titles(const QList<QAction*>& actions)
{
    QStringList texts;
    for (const QAction* action : actions)
        texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
    return texts;
}

TEST(LumMainWindow, MenusAndNavigationItemsReachTheDispatcherByKey)
{
    RecordingWindow window;
    window.addMenu(100, QStringLiteral("Data"), lum::LumMainWindow::ViewMenu);
    window.addMenu(101, QStringLiteral("Extra"), 42);
    EXPECT_EQ(titles(window.menuBar()->actions()),
              (QStringList{"&File", "Data", "&View", "&Window", "&Help", "Extra"}));
    auto* help = new QAction(QStringLiteral("Manual"), &window);
    window.addMenuAction(window.menu(lum::LumMainWindow::HelpMenu), help);
    EXPECT_EQ(titles(window.menu(lum::LumMainWindow::HelpMenu)->actions()),
              (QStringList{"Check for updates", "Manual", "|", "About"}));

    lum::NavPanelItem* heading =
        window.addNavItem(0, lum::NavPanelItem::HeadingType, QStringLiteral("Data"), nullptr);
    window.addNavItem(1, lum::NavPanelItem::ActionType, QStringLiteral("Load"), heading,
                      window.menu(100));
    window.addNavItem(2, lum::NavPanelItem::ActionType, QStringLiteral("Other"), heading);
    lum::LumMainWindow::setEnabledRecursive(heading, true);
    window.setNavItemEnabled(2, false);

    // From the menu and from the tree alike; the heading and the disabled item do nothing.
    window.menu(100)->actions().first()->trigger();
    const lum::NavPanelModel* model = window.navModel();
    const QModelIndex headingIndex = model->index(0, 0);
    window.onNavItemOpened(model->index(0, 0, headingIndex));
    window.onNavItemOpened(model->index(1, 0, headingIndex));
    window.setEnabledRecursive(heading, false);
    window.onNavItemOpened(model->index(0, 0, headingIndex));
    EXPECT_EQ(window.keys, (QList<int>{1, 1}));

    // A click opens an item; the double click and Enter that follow at once do not open it
    // again, a click on another item does.
    window.setEnabledRecursive(heading, true);
    window.setNavItemEnabled(2, true);
    window.keys.clear();
    lum::NavPanelView* view = window.navView();
    emit view->clicked(model->index(0, 0, headingIndex));
    emit view->activated(model->index(0, 0, headingIndex));
    emit view->clicked(model->index(1, 0, headingIndex));
    EXPECT_EQ(window.keys, (QList<int>{1, 2}));

    window.clearNav();
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(window.navItem(1), nullptr);
    EXPECT_TRUE(window.menu(100)->actions().isEmpty());
}

TEST(LumMainWindow, ReportWindowsSavePrintAndFollowTheActiveWindow)
{
    lum::LumMainWindow window(nullptr, QStringLiteral("Test"));
    auto prompts = std::make_unique<lum::ScriptedPrompts>();
    lum::ScriptedPrompts& script = *prompts;
    window.setPrompts(std::move(prompts));
    window.show();

    // A sub-window made again under its key drops the widget it had.
    QPointer<QWidget> first = new QWidget;
    window.createSubWindow(1, first);
    window.createSubWindow(1, new QWidget);
    EXPECT_TRUE(first.isNull());
    window.showSubWindow(1);
    EXPECT_FALSE(window.action(lum::LumMainWindow::SaveAsAction)->isEnabled());

    auto report = std::make_unique<TitleReport>();
    report->run();
    window.addReport(0, std::move(report));
    window.addReportWindow(0, 4);
    window.showSubWindow(4);
    EXPECT_EQ(window.currentWindowKey(), 4);
    EXPECT_TRUE(window.action(lum::LumMainWindow::SaveAsAction)->isEnabled());
    EXPECT_TRUE(window.action(lum::LumMainWindow::PrintAction)->isEnabled());

    const QString folder = rivulet::test::TestEnvironment::freshDir(QStringLiteral("lum-window"));
    // HTML, the first format offered, with its extension added to a bare name.
    script.files.enqueue(folder + QStringLiteral("/report"));
    window.doActionSaveAs();
    QFile saved(folder + QStringLiteral("/report.html"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    QTextDocument reread;
    reread.setHtml(QString::fromUtf8(saved.readAll()));
    EXPECT_EQ(reread.toPlainText(), QStringLiteral("Hello"));
    // OpenDocument text when that filter is chosen, or when the name says ".odt".
    script.files.enqueue(folder + QStringLiteral("/chosen"));
    script.filters.enqueue(QStringLiteral("OpenDocument Text (*.odt)"));
    script.files.enqueue(folder + QStringLiteral("/typed.odt"));
    window.doActionSaveAs();
    window.doActionSaveAs();
    for (const char* name : {"/chosen.odt", "/typed.odt"}) {
        QFile odt(folder + QLatin1String(name));
        ASSERT_TRUE(odt.open(QIODevice::ReadOnly)) << name;
        const QByteArray head = odt.read(100);
        EXPECT_TRUE(head.startsWith("PK")) << name;
        EXPECT_TRUE(head.contains("application/vnd.oasis.opendocument.text")) << name;
    }

    script.pdfFile = folder + QStringLiteral("/report.pdf");
    window.doActionPrint();
    EXPECT_EQ(script.printTitles, QStringList{QStringLiteral("Print Document")});
    QFile pdf(script.pdfFile);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));

    // A folder that cannot be written gives the message and writes nothing.
    script.files.enqueue(QStringLiteral("/proc/no-such-dir/report.html"));
    window.doActionSaveAs();
    ASSERT_EQ(script.messages.size(), 1);
    EXPECT_EQ(script.messages.first().text,
              QStringLiteral("Can't open \"/proc/no-such-dir/report.html\" for writing."));

    window.removeReport(0);
    EXPECT_EQ(window.subWindow(4), nullptr);
    EXPECT_EQ(window.report(0), nullptr);
}

TEST(LumMainWindow, RunSignalsReachProgressAndOutputAndABusyWindowStaysOpen)
{
    lum::LumMainWindow window(nullptr, QStringLiteral("Test"));
    window.setPrompts(std::make_unique<lum::ScriptedPrompts>());
    window.onRunBusy();
    window.setRunProgress(37);
    EXPECT_EQ(window.progressDialog()->maximum(), 100);
    EXPECT_EQ(window.progressDialog()->value(), 37);

    window.out(QStringLiteral("plain"));
    window.err(QStringLiteral("broken"));
    window.heading(QStringLiteral("Title"));
    EXPECT_EQ(window.outputDock()->lines(), (QStringList{"plain", "broken", "Title"}));
    EXPECT_EQ(window.outputDock()->format(lum::OutputDockWidget::Error).foreground().color(),
              QColor(Qt::red));
    EXPECT_EQ(window.outputDock()->format(17).fontPointSize(), 10);

    BlockingJob job(&window.runner());
    window.runner().setRunnable(&job);
    window.runner().start();
    EXPECT_FALSE(window.close());
    EXPECT_EQ(window.outputDock()->lines().last(),
              QStringLiteral("Program busy, can't exit. Try after computations have finished."));
    QSignalSpy canceled(&window.runner(), &lum::ThreadRunner::runCanceled);
    window.onProgressCanceled();
    ASSERT_TRUE(window.runner().wait(5000));
    EXPECT_EQ(canceled.count(), 1);
    EXPECT_TRUE(window.close());

    window.onCheckForUpdates();
    EXPECT_TRUE(window.outputDock()->lines().last().startsWith(
        QStringLiteral("Updates come with the system's packages")));
}

} // namespace

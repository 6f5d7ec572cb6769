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

enum class TestMenu
{
    Data,
    Extra,
    Missing
};
enum class TestWindow
{
    Tool,
    Report
};
enum class TestReport
{
    Title
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

TEST(LumMainWindow, MenusAndNavigationItemsOpenWhatTheyWereGiven)
{
    lum::LumMainWindow window(nullptr, QStringLiteral("Test"));
    QList<int> keys;
    window.addMenu(TestMenu::Data, QStringLiteral("Data"), lum::LumMainWindow::MenuId::View);
    window.addMenu(TestMenu::Extra, QStringLiteral("Extra"), TestMenu::Missing);
    EXPECT_EQ(titles(window.menuBar()->actions()),
              (QStringList{"&File", "Data", "&View", "&Window", "&Help", "Extra"}));
    auto* help = new QAction(QStringLiteral("Manual"), &window);
    window.addMenuAction(window.menu(lum::LumMainWindow::MenuId::Help), help);
    EXPECT_EQ(titles(window.menu(lum::LumMainWindow::MenuId::Help)->actions()),
              (QStringList{"Check for updates", "Manual", "|", "About"}));

    lum::NavPanelItem* heading =
        window.addNavItem(lum::NavPanelItem::Kind::Heading, QStringLiteral("Data"), nullptr);
    window.addNavItem(lum::NavPanelItem::Kind::Action, QStringLiteral("Load"), heading,
                      window.menu(TestMenu::Data), [&keys] { keys << 1; });
    lum::NavPanelItem* other =
        window.addNavItem(lum::NavPanelItem::Kind::Action, QStringLiteral("Other"), heading,
                          nullptr, [&keys] { keys << 2; });
    lum::LumMainWindow::setEnabledRecursive(heading, true);
    other->setEnabled(false);

    // From the menu and from the tree alike; the heading and the disabled item do nothing.
    window.menu(TestMenu::Data)->actions().first()->trigger();
    const lum::NavPanelModel* model = window.navModel();
    const QModelIndex headingIndex = model->index(0, 0);
    window.onNavItemOpened(model->index(0, 0, headingIndex));
    window.onNavItemOpened(model->index(1, 0, headingIndex));
    window.setEnabledRecursive(heading, false);
    window.onNavItemOpened(model->index(0, 0, headingIndex));
    EXPECT_EQ(keys, (QList<int>{1, 1}));

    // A click opens an item; the double click and Enter that follow at once do not open it
    // again, a click on another item does.
    window.setEnabledRecursive(heading, true);
    other->setEnabled(true);
    keys.clear();
    lum::NavPanelView* view = window.navView();
    emit view->clicked(model->index(0, 0, headingIndex));
    emit view->activated(model->index(0, 0, headingIndex));
    emit view->clicked(model->index(1, 0, headingIndex));
    EXPECT_EQ(keys, (QList<int>{1, 2}));

    window.clearNav();
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_TRUE(window.menu(TestMenu::Data)->actions().isEmpty());
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
    window.createSubWindow(TestWindow::Tool, first);
    window.createSubWindow(TestWindow::Tool, new QWidget);
    EXPECT_TRUE(first.isNull());
    window.showSubWindow(TestWindow::Tool);
    EXPECT_FALSE(window.action(lum::LumMainWindow::ActionId::SaveAs)->isEnabled());

    auto report = std::make_unique<TitleReport>();
    report->run();
    window.addReport(TestReport::Title, std::move(report));
    window.addReportWindow(TestReport::Title, TestWindow::Report);
    window.showSubWindow(TestWindow::Report);
    EXPECT_EQ(window.currentWindowKey(), lum::WindowKey(TestWindow::Report));
    // Keys of different enumerations with the same value name different windows.
    EXPECT_EQ(window.subWindow(TestReport::Title), nullptr);
    EXPECT_TRUE(window.action(lum::LumMainWindow::ActionId::SaveAs)->isEnabled());
    EXPECT_TRUE(window.action(lum::LumMainWindow::ActionId::Print)->isEnabled());

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

    window.removeReport(TestReport::Title);
    EXPECT_EQ(window.subWindow(TestWindow::Report), nullptr);
    EXPECT_EQ(window.report(TestReport::Title), nullptr);
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

#include "lum/ui/LumMainWindow.h"

#include "lum/report/QtReport.h"
#include "lum/report/ReportWriter.h"
#include "lum/thread/ThreadRunner.h"
#include "lum/ui/DocumentPrinter.h"
#include "lum/ui/NavPanelItem.h"
#include "lum/ui/NavPanelModel.h"
#include "lum/ui/NavPanelView.h"
#include "lum/ui/QtRTextWidget.h"
#include "lum/ui/ReportViewers.h"
#include "lum/ui/UserPrompts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLinearGradient>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProgressDialog>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>

namespace lum {

LumMainWindow::LumMainWindow(QWidget* parent, const QString& name, Qt::WindowFlags flags,
                             NavigationPanel panel)
    : QMainWindow(parent, flags), m_name(name), m_runner(std::make_unique<ThreadRunner>()),
      m_prompts(std::make_unique<UserPrompts>())
{
    setWindowTitle(name);

    m_mdiArea = new QMdiArea(this);
    QLinearGradient gradient(0, 0, 0, 800);
    gradient.setColorAt(0.0, QColor(206, 206, 206));
    gradient.setColorAt(1.0, Qt::white);
    m_mdiArea->setBackground(gradient);
    setCentralWidget(m_mdiArea);

    buildMenus();

    m_navModel = new NavPanelModel(this);
    m_navRoot = std::make_unique<NavPanelItem>(QStringLiteral("root"), m_navModel);
    m_navRoot->setKind(NavPanelItem::Kind::Root);
    m_navRoot->setEnabled(false);
    m_navModel->setRoot(m_navRoot.get());
    if (panel == NavigationPanel::Shown) {
        m_navView = new NavPanelView;
        m_navView->setModel(m_navModel);
        auto* navDock = new QDockWidget(QStringLiteral("Navigation Panel"), this);
        navDock->setObjectName(QStringLiteral("navigationDock"));
        navDock->setWidget(m_navView); // the dock owns the view
        addDock(DockId::Navigation, navDock, Qt::LeftDockWidgetArea);
    }

    m_outputDock = new OutputDockWidget(this);
    addDock(DockId::Output, m_outputDock, Qt::BottomDockWidgetArea);

    m_progressDialog = new QProgressDialog(this);
    m_progressDialog->setWindowTitle(name);
    m_progressDialog->setWindowModality(Qt::WindowModal);
    m_progressDialog->reset();
    m_progressDialog->hide();
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(1000);
    connect(m_progressTimer, &QTimer::timeout, this, &LumMainWindow::showProgressDialog);
    connect(m_progressDialog, &QProgressDialog::canceled, this, &LumMainWindow::onProgressCanceled);

    ThreadRunner* runner = m_runner.get();
    connect(runner, &ThreadRunner::runComplete, this, &LumMainWindow::onRunComplete);
    connect(runner, &ThreadRunner::runCanceled, this, &LumMainWindow::onRunTerminated);
    connect(runner, &ThreadRunner::runFailed, this, &LumMainWindow::onRunFailed);
    connect(runner, &ThreadRunner::percentComplete, this, &LumMainWindow::setRunProgress);
    connect(runner, &ThreadRunner::progressStatus, this, &LumMainWindow::onRunProgressStatus);
    connect(runner, &ThreadRunner::status, this, &LumMainWindow::onRunStatus);
    connect(runner, &ThreadRunner::errorStatus, this, &LumMainWindow::onRunErrorStatus);
    connect(runner, &ThreadRunner::warning, this, &LumMainWindow::onRunWarning);
    connect(runner, &ThreadRunner::busy, this, &LumMainWindow::onRunBusy);

    if (m_navView) {
        // A single click opens an item, as the panel's links suggest, and so do Enter and a
        // double click (activated); the second click of a double click opens nothing again.
        connect(m_navView, &QTreeView::clicked, this, &LumMainWindow::openNavItemOnce);
        connect(m_navView, &QTreeView::activated, this, &LumMainWindow::openNavItemOnce);
        connect(m_navView, &QWidget::customContextMenuRequested, this,
                &LumMainWindow::onNavContextMenuRequested);
    }
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &LumMainWindow::onSubWindowActivated);
}

LumMainWindow::~LumMainWindow()
{
    // Jobs may still report to this window; stop them before anything they use goes.
    if (m_runner->isRunning()) {
        m_runner->cancel();
        m_runner->wait();
    }
    m_runner->disconnect(this);
    // Sub-windows hold report viewers that the reports delete; drop the windows first.
    for (const auto& [key, window] : m_subWindows)
        delete window;
    m_subWindows.clear();
    m_reports.clear();
    clearNav();
}

void LumMainWindow::buildMenus()
{
    addMenu(MenuId::File, tr("&File"));
    addMenu(MenuId::View, tr("&View"));
    addMenu(MenuId::Window, tr("&Window"));
    addMenu(MenuId::Help, tr("&Help"));

    connect(addAction(MenuId::File, ActionId::Save, QStringLiteral("Save")), &QAction::triggered,
            this, &LumMainWindow::doActionSave);
    connect(addAction(MenuId::File, ActionId::SaveAs, QStringLiteral("Save as")),
            &QAction::triggered, this, &LumMainWindow::doActionSaveAs);
    connect(addAction(MenuId::File, ActionId::SaveToCsv, QStringLiteral("Save to CSV file")),
            &QAction::triggered, this, &LumMainWindow::doActionSaveToCsv);
    connect(addAction(MenuId::File, ActionId::PrintPreview, QStringLiteral("Print preview")),
            &QAction::triggered, this, &LumMainWindow::doActionPrintPreview);
    connect(addAction(MenuId::File, ActionId::Print, QStringLiteral("Print")), &QAction::triggered,
            this, &LumMainWindow::doActionPrint);
    menu(MenuId::File)->addSeparator();
    connect(addAction(MenuId::File, ActionId::Exit, QStringLiteral("Exit")), &QAction::triggered,
            this, &QWidget::close);
    // The desktop's usual keys for the file actions.
    action(ActionId::Save)->setShortcut(QKeySequence::Save);
    action(ActionId::SaveAs)->setShortcut(QKeySequence::SaveAs);
    action(ActionId::Print)->setShortcut(QKeySequence::Print);
    action(ActionId::Exit)->setShortcut(QKeySequence::Quit);

    connect(addAction(MenuId::Window, ActionId::Tile, QStringLiteral("Tile Windows")),
            &QAction::triggered, this, [this] { m_mdiArea->tileSubWindows(); });
    connect(addAction(MenuId::Window, ActionId::Cascade, QStringLiteral("Cascade Windows")),
            &QAction::triggered, this, &LumMainWindow::cascadeSubWindows);
    connect(addAction(MenuId::Window, ActionId::CloseAll, QStringLiteral("Close All")),
            &QAction::triggered, this, [this] { m_mdiArea->closeAllSubWindows(); });

    QAction* about = addAction(MenuId::Help, ActionId::About, QStringLiteral("About"));
    connect(about, &QAction::triggered, this, &LumMainWindow::onHelpAbout);
    auto* check = new QAction(QStringLiteral("Check for updates"), this);
    connect(check, &QAction::triggered, this, &LumMainWindow::onCheckForUpdates);
    addMenuAction(menu(MenuId::Help), check);
}

void LumMainWindow::addDock(const WindowKey& id, QDockWidget* dock, Qt::DockWidgetArea area)
{
    addDockWidget(area, dock);
    m_docks.insert_or_assign(id, dock);
    if (QMenu* view = menu(MenuId::View))
        view->addAction(dock->toggleViewAction());
}

void LumMainWindow::setPrompts(std::unique_ptr<UserPrompts> prompts)
{
    if (prompts)
        m_prompts = std::move(prompts);
}

QMenu* LumMainWindow::addMenu(const WindowKey& id, const QString& title)
{
    QMenu* created = menuBar()->addMenu(tr(qPrintable(title)));
    m_menus.insert_or_assign(id, created);
    return created;
}

QMenu* LumMainWindow::addMenu(const WindowKey& id, const QString& title, const WindowKey& beforeId)
{
    QMenu* created = nullptr;
    if (QMenu* before = menu(beforeId)) {
        created = new QMenu(title, menuBar());
        menuBar()->insertMenu(before->menuAction(), created);
    } else {
        return addMenu(id, title);
    }
    m_menus.insert_or_assign(id, created);
    return created;
}

QAction* LumMainWindow::addAction(const WindowKey& menuId, const WindowKey& actionId,
                                  const QString& text)
{
    QMenu* target = menu(menuId);
    QAction* created = target ? target->addAction(text) : nullptr;
    if (created)
        m_actions.insert_or_assign(actionId, created);
    return created;
}

void LumMainWindow::addMenuAction(QMenu* target, QAction* item)
{
    if (!target || !item)
        return;
    // Application entries go above the framework's own in these menus.
    if (target == menu(MenuId::File)) {
        if (!m_fileSeparator)
            m_fileSeparator = target->insertSeparator(action(ActionId::Save));
        target->insertAction(m_fileSeparator, item);
    } else if (target == menu(MenuId::Window)) {
        if (!m_windowSeparator)
            m_windowSeparator = target->addSeparator();
        target->insertAction(m_windowSeparator, item);
    } else if (target == menu(MenuId::Help)) {
        if (!m_helpSeparator)
            m_helpSeparator = target->insertSeparator(action(ActionId::About));
        target->insertAction(m_helpSeparator, item);
    } else {
        target->addAction(item);
    }
}

void LumMainWindow::setActionEnabled(const WindowKey& actionId, bool enabled)
{
    if (QAction* found = action(actionId))
        found->setEnabled(enabled);
}

NavPanelItem* LumMainWindow::addNavItem(NavPanelItem::Kind kind, const QString& name,
                                        NavPanelItem* parent, QMenu* target,
                                        std::function<void()> open)
{
    NavPanelItem* under = parent ? parent : m_navRoot.get();
    m_navModel->announceReset(true);
    NavPanelItem* item =
        under->appendChild(std::make_unique<NavPanelItem>(name, m_navModel, under));
    m_navModel->announceReset(false);
    item->setKind(kind);
    if (target)
        addMenuAction(target, item);
    if (kind == NavPanelItem::Kind::Heading)
        setEnabledRecursive(item, false);
    else if (open)
        connect(item, &QAction::triggered, this, [open = std::move(open)] { open(); });
    if (m_navView)
        m_navView->expandAll();
    return item;
}

void LumMainWindow::setEnabledRecursive(NavPanelItem* item, bool enabled)
{
    if (!item)
        return;
    item->setNavEnabled(enabled);
    item->setEnabled(enabled);
    for (int i = 0; i < item->childCount(); ++i)
        setEnabledRecursive(item->child(i), enabled);
}

void LumMainWindow::clearNav()
{
    m_navModel->announceReset(true);
    m_navRoot->clearChildren();
    m_lastOpenedNavItem = nullptr;
    m_navModel->announceReset(false);
}

QMdiSubWindow* LumMainWindow::createSubWindow(const WindowKey& key, QWidget* widget)
{
    if (QWidget* old = windowWidget(key); old && old != widget)
        delete old;
    m_windowWidgets.insert_or_assign(key, widget);
    QMdiSubWindow* window = subWindow(key);
    if (!window) {
        window = new QMdiSubWindow;
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        m_mdiArea->addSubWindow(window);
        m_subWindows.insert_or_assign(key, window);
    }
    window->setWidget(widget);
    window->hide();
    return window;
}

QWidget* LumMainWindow::windowWidget(const WindowKey& key) const
{
    const auto found = m_windowWidgets.find(key);
    return found == m_windowWidgets.end() ? nullptr : found->second.data();
}

std::optional<WindowKey> LumMainWindow::keyOfSubWindow(const QMdiSubWindow* window) const
{
    for (const auto& [key, shown] : m_subWindows) {
        if (shown == window)
            return key;
    }
    return std::nullopt;
}

void LumMainWindow::showSubWindow(const WindowKey& key, bool modal)
{
    QMdiSubWindow* window = subWindow(key);
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    window->show();
    if (QWidget* widget = window->widget())
        widget->show();
    window->raise();
    m_mdiArea->setActiveSubWindow(window);
    if (modal)
        window->setWindowModality(Qt::WindowModal);
}

void LumMainWindow::closeSubWindow(const WindowKey& key)
{
    const auto found = m_subWindows.find(key);
    if (found == m_subWindows.end())
        return;
    QMdiSubWindow* window = found->second;
    m_subWindows.erase(found);
    m_windowWidgets.erase(key);
    m_mdiArea->removeSubWindow(window);
    delete window;
    updateReportActions(m_mdiArea->activeSubWindow());
}

void LumMainWindow::deleteSubWindow(const WindowKey& key)
{
    // The sub-window deletes the widget it holds (a report's viewer too: the report then
    // makes a new one when it is shown again).
    closeSubWindow(key);
    m_windowWidgets.erase(key);
}

QMdiSubWindow* LumMainWindow::activeOrFirstSubWindow()
{
    if (QMdiSubWindow* active = m_mdiArea->activeSubWindow())
        return active;
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList();
    if (windows.isEmpty())
        return nullptr;
    m_mdiArea->setActiveSubWindow(windows.first());
    return windows.first();
}

void LumMainWindow::placeSubWindow(QMdiSubWindow* window, const QRect& geometry)
{
    // Never below what the window's layout needs: squeezed further, its rows overlap.
    QRect placed = geometry;
    placed.setSize(placed.size().expandedTo(window->minimumSizeHint()));
    // Inside the document area as it is now: moved up and left first, made smaller only
    // where the area itself is smaller, so that no edge opens out of sight.
    const QSize area = m_mdiArea->viewport()->size();
    if (area.width() > 0 && area.height() > 0) {
        placed.setSize(placed.size().boundedTo(area));
        placed.moveLeft(std::max(0, std::min(placed.left(), area.width() - placed.width())));
        placed.moveTop(std::max(0, std::min(placed.top(), area.height() - placed.height())));
    }
    window->setGeometry(placed);
}

void LumMainWindow::addReport(const WindowKey& key, std::unique_ptr<QtReport> report)
{
    removeReport(key);
    if (report)
        m_reports.insert_or_assign(key, std::move(report));
}

QtReport* LumMainWindow::report(const WindowKey& key) const
{
    const auto found = m_reports.find(key);
    return found == m_reports.end() ? nullptr : found->second.get();
}

void LumMainWindow::removeReport(const WindowKey& key)
{
    if (const auto found = m_reportWindowKey.find(key); found != m_reportWindowKey.end()) {
        const WindowKey windowKey = found->second;
        const bool shown = reportOfWindow(subWindow(windowKey)) == report(key);
        m_reportWindowKey.erase(found);
        if (shown)
            closeSubWindow(windowKey);
    }
    m_reports.erase(key);
}

QMdiSubWindow* LumMainWindow::addReportWindow(const WindowKey& reportKey,
                                              const WindowKey& windowKey)
{
    QtReport* shown = report(reportKey);
    if (!shown)
        return nullptr;
    m_reportWindowKey.insert_or_assign(reportKey, windowKey);
    QMdiSubWindow* window = createSubWindow(windowKey, ReportViewers::of(*shown).textWidget());
    connect(window, &QMdiSubWindow::windowStateChanged, this,
            &LumMainWindow::onReportSubWindowStateChanged, Qt::UniqueConnection);
    return window;
}

QtReport* LumMainWindow::reportOfWindow(const QMdiSubWindow* window) const
{
    const std::optional<WindowKey> key = keyOfSubWindow(window);
    if (!window || !key)
        return nullptr;
    for (const auto& [reportKey, windowKey] : m_reportWindowKey) {
        if (windowKey == *key)
            return report(reportKey);
    }
    return nullptr;
}

void LumMainWindow::onCheckForUpdates()
{
    // On a Linux desktop the package manager updates the programs; the window never starts
    // an updater of its own (a program of that name in the working folder would run
    // unasked).
    out(QStringLiteral("Updates come with the system's packages (or a new build of the "
                       "source); the program does not update itself."));
}

void LumMainWindow::onRunComplete()
{
    m_progressDialog->hide();
}

void LumMainWindow::onRunTerminated()
{
    m_progressDialog->reset();
    m_progressDialog->close();
}

void LumMainWindow::onRunFailed(int, const QString& text)
{
    stopProgress();
    showRunError(text);
}

void LumMainWindow::onProgressCanceled()
{
    m_runner->setCanceled(true);
}

void LumMainWindow::setRunProgress(int percentComplete)
{
    if (m_progressDialog->maximum() != 100)
        m_progressDialog->setMaximum(100);
    m_progressDialog->setValue(percentComplete);
}

void LumMainWindow::onRunStatus(const QString& text)
{
    out(text);
}

void LumMainWindow::onRunProgressStatus(const QString& text)
{
    m_progressDialog->setLabelText(text);
    out(text);
}

void LumMainWindow::showRunError(const QString& text)
{
    prompts().tell(this, QMessageBox::Critical, m_name, text);
    err(text);
}

void LumMainWindow::onRunErrorStatus(const QString& text)
{
    err(text);
}

void LumMainWindow::onRunWarning(const QString& text)
{
    warn(text);
}

void LumMainWindow::onRunBusy()
{
    m_progressDialog->setRange(0, 0);
}

void LumMainWindow::showProgressDialog()
{
    m_progressDialog->show();
}

void LumMainWindow::stopProgress()
{
    if (m_progressTimer->isActive())
        m_progressTimer->stop();
    m_progressDialog->reset();
    m_progressDialog->cancel();
    m_progressDialog->hide();
}

void LumMainWindow::onSubWindowActivated(QMdiSubWindow* window)
{
    if (window)
        m_currentWindowKey = keyOfSubWindow(window);
    updateReportActions(window ? window : m_mdiArea->activeSubWindow());
}

void LumMainWindow::onReportSubWindowStateChanged()
{
    updateReportActions(activeOrFirstSubWindow());
}

void LumMainWindow::updateReportActions(QMdiSubWindow* window)
{
    const bool isReport = reportOfWindow(window) != nullptr;
    for (ActionId id :
         {ActionId::Print, ActionId::PrintPreview, ActionId::SaveAs, ActionId::SaveToCsv})
        setActionEnabled(id, isReport);
}

void LumMainWindow::cascadeSubWindows()
{
    m_mdiArea->cascadeSubWindows();
}

bool LumMainWindow::printActiveReport(QPrinter* printer)
{
    QMdiSubWindow* window = activeOrFirstSubWindow();
    if (!reportOfWindow(window))
        return false;
    auto* viewer = qobject_cast<QtRTextWidget*>(window->widget());
    if (!viewer)
        return false;
    DocumentPrinter::print(*viewer->editor()->document(), printer);
    return true;
}

void LumMainWindow::doActionPrint()
{
    QMdiSubWindow* window = activeOrFirstSubWindow();
    if (!window)
        return;
    const bool isReport = reportOfWindow(window) != nullptr;
    QPrinter printer(QPrinter::ScreenResolution);
    const QString title =
        isReport ? QStringLiteral("Print Document") : QStringLiteral("Print Plot");
    if (prompts().setUpPrinter(this, printer, title) && isReport)
        printActiveReport(&printer);
}

void LumMainWindow::doActionPrintPreview()
{
    if (!activeOrFirstSubWindow())
        return;
    QPrinter printer(QPrinter::ScreenResolution);
    const bool accepted =
        prompts().preview(this, printer, [this](QPrinter* target) { printActiveReport(target); });
    if (accepted)
        printActiveReport(&printer);
}

void LumMainWindow::doActionSaveAs()
{
    QMdiSubWindow* window = activeOrFirstSubWindow();
    if (!window || !reportOfWindow(window))
        return;
    auto* viewer = qobject_cast<QtRTextWidget*>(window->widget());
    if (!viewer)
        return;
    QString filter;
    const QString typed =
        prompts().saveFileName(this, QStringLiteral("Save Report"), QStringLiteral("report.html"),
                               ReportWriter::reportFilter(), &filter);
    if (typed.isEmpty())
        return;
    // The file is written in the format its name says, so that it opens as what it is.
    const ReportWriter::Format format = ReportWriter::reportFormat(typed, filter);
    const QString path = ReportWriter::withSuffix(typed, ReportWriter::suffixOf(format));
    const ReportWriter writer;
    const Expected<void> written =
        format == ReportWriter::Format::OpenDocument
            ? writer.writeOpenDocument(path, *viewer->editor()->document())
            : writer.writeHtml(path, viewer->editor()->toHtml());
    if (!written) {
        // The box says what could not be done; the output keeps the system's reason.
        err(written.error().text());
        prompts().tell(this, QMessageBox::Critical, QString(), written.error().message);
    }
    rememberReportFolder(path);
}

void LumMainWindow::out(const QString& text)
{
    out(text, OutputDockWidget::Normal);
}

void LumMainWindow::out(const QString& text, OutputDockWidget::OutputType type)
{
    m_outputDock->out(text, type);
}

void LumMainWindow::heading(const QString& text)
{
    out(text, OutputDockWidget::Heading);
}

void LumMainWindow::err(const QString& text)
{
    out(text, OutputDockWidget::Error);
}

void LumMainWindow::warn(const QString& text)
{
    out(text, OutputDockWidget::Warning);
}

void LumMainWindow::updateNav()
{
    m_navModel->announceLayoutChange();
}

void LumMainWindow::openNavItemOnce(const QModelIndex& index)
{
    const NavPanelItem* item = m_navModel->itemAt(index);
    if (item && item == m_lastOpenedNavItem && m_lastNavOpen.isValid() &&
        m_lastNavOpen.elapsed() < QApplication::doubleClickInterval())
        return;
    m_lastOpenedNavItem = item;
    m_lastNavOpen.start();
    onNavItemOpened(index);
}

void LumMainWindow::onNavItemOpened(const QModelIndex& index)
{
    NavPanelItem* item = m_navModel->itemAt(index);
    if (item && item != m_navRoot.get() && item->isEnabled() && item->navEnabled())
        item->trigger();
}

void LumMainWindow::closeEvent(QCloseEvent* event)
{
    if (m_runner->isRunning()) {
        event->ignore();
        err(QStringLiteral("Program busy, can't exit. Try after computations have finished."));
        return;
    }
    event->accept();
}

} // namespace lum

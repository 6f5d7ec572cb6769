#pragma once

#include "lum/ui/OutputDockWidget.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QMap>
#include <QPointer>

#include <map>
#include <memory>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QProgressDialog;
class QSignalMapper;
class QTimer;

namespace lum {

class NavPanelItem;
class NavPanelModel;
class NavPanelView;
class QtReport;
class ThreadRunner;
class UserPrompts;

// The reusable main window: a document area for report and tool windows, a navigation panel
// whose items are also menu actions, the "Output" dock, menus and actions addressed by
// number, the main background runner with its progress dialog, and registries of sub-windows
// and reports addressed by number. An application derives from it, adds its menus, items
// and windows, and overrides the slots it needs (onNavItemOpened (key) above all).
class LumMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Framework menu ids.
    enum MenuId
    {
        FileMenu = 0,
        HelpMenu = 1,
        ViewMenu = 2,
        WindowMenu = 3
    };
    // Framework action ids.
    enum ActionId
    {
        ExitAction = 0,
        AboutAction = 1,
        PrintAction = 3,
        PrintPreviewAction = 4,
        SaveAction = 5,
        SaveAsAction = 6,
        SaveToCsvAction = 7,
        CascadeAction = 8,
        CloseAllAction = 9,
        TileAction = 10
    };
    // Dock ids.
    enum DockId
    {
        NavigationDock = 0,
        OutputDock = 1
    };
    // Construction feature: the navigation panel.
    static constexpr int NavigationPanelFeature = 0x2000000;

    LumMainWindow(QWidget* parent, const QString& name, Qt::WindowFlags flags = {},
                  int features = NavigationPanelFeature);
    ~LumMainWindow() override;

    const QString& name() const { return m_name; }
    QMdiArea* mdiArea() const { return m_mdiArea; }
    ThreadRunner& runner() const { return *m_runner; }
    QProgressDialog* progressDialog() const { return m_progressDialog; }
    OutputDockWidget* outputDock() const { return m_outputDock; }
    NavPanelModel* navModel() const { return m_navModel; }
    NavPanelView* navView() const { return m_navView; }
    NavPanelItem* navRoot() const { return m_navRoot.get(); }
    QDockWidget* dock(int id) const { return m_docks.value(id); }
    void addDock(int id, QDockWidget* dock, Qt::DockWidgetArea area);

    // The prompts (dialogs, message boxes, printer) every flow goes through.
    UserPrompts& prompts() const { return *m_prompts; }
    void setPrompts(std::unique_ptr<UserPrompts> prompts);

    // Menus and actions.
    QMenu* addMenu(int id, const QString& title, int beforeId);
    QMenu* menu(int id) const { return m_menus.value(id); }
    QAction* action(int id) const { return m_actions.value(id); }
    QAction* addAction(int menuId, const QString& text);
    QAction* addAction(int menuId, int actionId, const QString& text);
    void addMenuAction(QMenu* menu, QAction* action);
    void setActionEnabled(int actionId, bool enabled);

    // Navigation.
    NavPanelItem* addNavItem(int key, int type, const QString& name, NavPanelItem* parent,
                             QMenu* menu = nullptr);
    NavPanelItem* navItem(int key) const { return m_navItems.value(key); }
    const QMap<int, NavPanelItem*>& navItems() const { return m_navItems; }
    void setNavItemEnabled(int key, bool enabled);
    static void setEnabledRecursive(NavPanelItem* item, bool enabled);
    void clearNav();

    // Sub-windows.
    QMdiSubWindow* createSubWindow(int key, QWidget* widget);
    QMdiSubWindow* subWindow(int key) const { return m_subWindows.value(key); }
    QWidget* windowWidget(int key) const { return m_windowWidgets.value(key); }
    int keyOfSubWindow(const QMdiSubWindow* window) const;
    void showSubWindow(int key, bool modal = false);
    void closeSubWindow(int key);
    void deleteSubWindow(int key);
    QMdiSubWindow* activeOrFirstSubWindow();
    int currentWindowKey() const { return m_currentWindowKey; }

    // Reports: the window owns every registered report.
    void addReport(int key, std::unique_ptr<QtReport> report);
    virtual QtReport* report(int key) const;
    virtual void removeReport(int key);
    QList<int> reportKeys() const;
    // Puts the report's viewer in a sub-window under `windowKey`.
    QMdiSubWindow* addReportWindow(int reportKey, int windowKey);
    int reportWindowKey(int reportKey) const { return m_reportWindowKey.value(reportKey, -1); }
    // The report shown in that sub-window, or null.
    QtReport* reportOfWindow(const QMdiSubWindow* window) const;

public slots:
    virtual void onRunComplete();
    virtual void onRunTerminated();
    virtual void onRunFailed(int code, const QString& text);
    virtual void onProgressCanceled();
    virtual void setRunProgress(int percentComplete);
    virtual void onRunStatus(const QString& text);
    virtual void onRunProgressStatus(const QString& text);
    virtual void onRunWarning(const QString& text);
    virtual void onRunBusy();
    virtual void onSubWindowActivated(QMdiSubWindow* window);
    virtual void onHelpAbout() {}
    virtual void doActionSave() {}
    virtual void doActionSaveAs();
    virtual void doActionSaveToCsv() {}
    virtual void doActionPrint();
    virtual void doActionPrintPreview();
    virtual void out(const QString& text);
    virtual void out(const QString& text, lum::OutputDockWidget::OutputType type);
    virtual void heading(const QString& text);
    virtual void err(const QString& text);
    virtual void warn(const QString& text);
    virtual void updateNav();
    virtual void onNavItemOpened(int key);
    virtual void onNavItemOpened(const QModelIndex& index);
    virtual void onNavContextMenuRequested(const QPoint&) {}
    virtual void onReportSubWindowStateChanged();

    void onRunErrorStatus(const QString& text);
    void cascadeSubWindows();
    void onCheckForUpdates();
    void showProgressDialog();
    void stopProgress();

signals:
    void navContextMenuRequested(const QPoint& point);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Enables print, preview and both saves exactly when `window` shows a report.
    void updateReportActions(QMdiSubWindow* window);
    // A report was saved to `filePath` (or its file could not be opened): the application
    // remembers the folder for the next dialog.
    virtual void rememberReportFolder(const QString&) {}
    // Renders the report editor of the active-or-first sub-window; false when it shows none.
    bool printActiveReport(QPrinter* printer);
    // Tells the user why the run failed (a message box) and writes it to the output dock.
    void showRunError(const QString& text);

private:
    void buildMenus();
    // Opens the panel's item at `index`, unless it is the one just opened (a double click).
    void openNavItemOnce(const QModelIndex& index);

    QString m_name;
    QMdiArea* m_mdiArea = nullptr; // central widget
    QMap<int, QMenu*> m_menus;     // children of the menu bar
    QMap<int, QAction*> m_actions; // children of this window
    NavPanelModel* m_navModel = nullptr;
    NavPanelView* m_navView = nullptr;
    std::unique_ptr<NavPanelItem> m_navRoot;
    QMap<int, NavPanelItem*> m_navItems; // owned by the tree
    QSignalMapper* m_navMapper = nullptr;
    // The item the panel opened last, and when: a double click opens it once.
    const NavPanelItem* m_lastOpenedNavItem = nullptr;
    QElapsedTimer m_lastNavOpen;
    QMap<int, QDockWidget*> m_docks;
    QMap<int, QMdiSubWindow*> m_subWindows; // children of the document area
    QMap<int, QPointer<QWidget>> m_windowWidgets;
    QMap<int, int> m_reportWindowKey;
    std::map<int, std::unique_ptr<QtReport>> m_reports;
    int m_currentWindowKey = -1;
    std::unique_ptr<ThreadRunner> m_runner;
    QProgressDialog* m_progressDialog = nullptr;
    QTimer* m_progressTimer = nullptr;
    OutputDockWidget* m_outputDock = nullptr;
    QAction* m_fileSeparator = nullptr;
    QAction* m_windowSeparator = nullptr;
    QAction* m_helpSeparator = nullptr;
    std::unique_ptr<UserPrompts> m_prompts;
};

} // namespace lum

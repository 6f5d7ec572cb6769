#pragma once

#include "lum/ui/NavPanelItem.h"
#include "lum/ui/OutputDockWidget.h"
#include "lum/ui/WindowKey.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QProgressDialog;
class QTimer;

namespace lum {

class NavPanelItem;
class NavPanelModel;
class NavPanelView;
class QtReport;
class ThreadRunner;
class UserPrompts;

// The reusable main window: a document area for report and tool windows, a navigation panel
// whose items are also menu actions, the "Output" dock, menus and actions, the main
// background runner with its progress dialog, and registries of sub-windows and reports. Menus,
// actions, docks, sub-windows and reports are named by WindowKey (a value of an enumeration of
// the framework's or the application's); navigation items carry what they do themselves. An
// application derives from it, adds its menus, items and windows, and overrides the slots it
// needs.
class LumMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Framework menus.
    enum class MenuId
    {
        File,
        Help,
        View,
        Window
    };
    // Framework actions.
    enum class ActionId
    {
        Exit,
        About,
        Print,
        PrintPreview,
        Save,
        SaveAs,
        SaveToCsv,
        Cascade,
        CloseAll,
        Tile
    };
    // Framework docks.
    enum class DockId
    {
        Navigation,
        Output
    };
    // Whether the window has a navigation panel dock.
    enum class NavigationPanel
    {
        Shown,
        None
    };

    LumMainWindow(QWidget* parent, const QString& name, Qt::WindowFlags flags = {},
                  NavigationPanel panel = NavigationPanel::Shown);
    ~LumMainWindow() override;

    const QString& name() const { return m_name; }
    QMdiArea* mdiArea() const { return m_mdiArea; }
    ThreadRunner& runner() const { return *m_runner; }
    QProgressDialog* progressDialog() const { return m_progressDialog; }
    OutputDockWidget* outputDock() const { return m_outputDock; }
    NavPanelModel* navModel() const { return m_navModel; }
    NavPanelView* navView() const { return m_navView; }
    NavPanelItem* navRoot() const { return m_navRoot.get(); }
    QDockWidget* dock(const WindowKey& id) const { return find(m_docks, id); }
    void addDock(const WindowKey& id, QDockWidget* dock, Qt::DockWidgetArea area);

    // The prompts (dialogs, message boxes, printer) every flow goes through.
    UserPrompts& prompts() const { return *m_prompts; }
    void setPrompts(std::unique_ptr<UserPrompts> prompts);

    // Menus and actions.
    // A menu before the menu `before`, or last when there is none of that key.
    QMenu* addMenu(const WindowKey& id, const QString& title, const WindowKey& before);
    QMenu* addMenu(const WindowKey& id, const QString& title);
    QMenu* menu(const WindowKey& id) const { return find(m_menus, id); }
    QAction* action(const WindowKey& id) const { return find(m_actions, id); }
    QAction* addAction(const WindowKey& menuId, const WindowKey& actionId, const QString& text);
    void addMenuAction(QMenu* menu, QAction* action);
    void setActionEnabled(const WindowKey& actionId, bool enabled);

    // Navigation.
    // An item under `parent` (the root when null), also placed in `menu`; triggering an item
    // that is not a heading calls `open`.
    NavPanelItem* addNavItem(NavPanelItem::Kind kind, const QString& name, NavPanelItem* parent,
                             QMenu* menu = nullptr, std::function<void()> open = {});
    static void setEnabledRecursive(NavPanelItem* item, bool enabled);
    void clearNav();

    // Sub-windows.
    QMdiSubWindow* createSubWindow(const WindowKey& key, QWidget* widget);
    QMdiSubWindow* subWindow(const WindowKey& key) const { return find(m_subWindows, key); }
    QWidget* windowWidget(const WindowKey& key) const;
    std::optional<WindowKey> keyOfSubWindow(const QMdiSubWindow* window) const;
    void showSubWindow(const WindowKey& key, bool modal = false);
    void closeSubWindow(const WindowKey& key);
    void deleteSubWindow(const WindowKey& key);
    QMdiSubWindow* activeOrFirstSubWindow();
    // Gives `window` the geometry, inside the document area and no smaller than its layout.
    void placeSubWindow(QMdiSubWindow* window, const QRect& geometry);
    // Enables print, preview and both saves exactly when `window` shows a report.
    void updateReportActions(QMdiSubWindow* window);
    const std::optional<WindowKey>& currentWindowKey() const { return m_currentWindowKey; }

    // Reports: the window owns every registered report.
    void addReport(const WindowKey& key, std::unique_ptr<QtReport> report);
    virtual QtReport* report(const WindowKey& key) const;
    virtual void removeReport(const WindowKey& key);
    // Puts the report's viewer in a sub-window under `windowKey`.
    QMdiSubWindow* addReportWindow(const WindowKey& reportKey, const WindowKey& windowKey);
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
    // A report was saved to `filePath` (or its file could not be opened): the application
    // remembers the folder for the next dialog.
    virtual void rememberReportFolder(const QString&) {}
    // Renders the report editor of the active-or-first sub-window; false when it shows none.
    bool printActiveReport(QPrinter* printer);
    // Tells the user why the run failed (a message box) and writes it to the output dock.
    void showRunError(const QString& text);

private:
    template <class Value>
    static Value find(const std::map<WindowKey, Value>& registry, const WindowKey& key)
    {
        const auto found = registry.find(key);
        return found == registry.end() ? Value() : found->second;
    }
    void buildMenus();
    // Opens the panel's item at `index`, unless it is the one just opened (a double click).
    void openNavItemOnce(const QModelIndex& index);

    QString m_name;
    QMdiArea* m_mdiArea = nullptr;           // central widget
    std::map<WindowKey, QMenu*> m_menus;     // children of the menu bar
    std::map<WindowKey, QAction*> m_actions; // children of this window
    NavPanelModel* m_navModel = nullptr;
    NavPanelView* m_navView = nullptr;
    std::unique_ptr<NavPanelItem> m_navRoot;
    // The item the panel opened last, and when: a double click opens it once.
    const NavPanelItem* m_lastOpenedNavItem = nullptr;
    QElapsedTimer m_lastNavOpen;
    std::map<WindowKey, QDockWidget*> m_docks;
    std::map<WindowKey, QMdiSubWindow*> m_subWindows; // children of the document area
    std::map<WindowKey, QPointer<QWidget>> m_windowWidgets;
    std::map<WindowKey, WindowKey> m_reportWindowKey;
    std::map<WindowKey, std::unique_ptr<QtReport>> m_reports;
    std::optional<WindowKey> m_currentWindowKey;
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

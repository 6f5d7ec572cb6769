#pragma once

#include "lum/core/Expected.h"
#include "rivulet/summary/SummaryTables.h"

#include <QPoint>
#include <QWidget>

#include <memory>
#include <vector>

class QCheckBox;
class QGraphicsView;
class QPushButton;
class QTabWidget;
class QTextEdit;

namespace rivulet {

class ReleaseSummary;
class ReleasesController;
class ReleasesControllerI;
class RivuletDb;
class RivuletDiagram;
class SitesController;
class SitesControllerI;
class StudyConfiguration;
class YearsController;
class YearsControllerI;

// The "Sites and Years Configuration" window: for each release (and, by data class, for the
// releases pooled by release year, by release site and all together) a diagram of how many
// fish travelled each path and were detected at each site in each year. Counts that make
// models unestimable are red, so is the title of their tab, and the tab shows a note.
class ConfigSitesYearsWidgetBase : public QWidget
{
    Q_OBJECT

public:
    ConfigSitesYearsWidgetBase(const ReleasesControllerI& releases, const ReleaseSummary& summary,
                               QWidget* parent = nullptr);
    ~ConfigSitesYearsWidgetBase() override;

    virtual const SitesControllerI& sitesController() const = 0;
    virtual const YearsControllerI& yearsController() const = 0;

    // Every tab again from the controllers and the summary.
    void rebuildTabs();

    QTabWidget* tabWidget() const { return m_tabWidget; }
    QTextEdit* noteEdit() const { return m_textEdit; }
    QCheckBox* removalsCheckBox() const { return m_removalsCheckBox; }
    QPushButton* resetButton() const { return m_resetButton; }
    RivuletDiagram* diagram(int tab) const;
    static QString zeroCountsNote();

signals:
    void doneClicked();

public slots:
    void onTabChanged(int index);
    void onSiteContextMenuRequest(const QString& siteName, QPoint pos);
    void onYearContextMenuRequest(const QString& yearName, QPoint pos);

protected:
    virtual void handleSiteContextMenuRequest(const QString& siteName, QPoint pos) = 0;
    virtual void handleYearContextMenuRequest(const QString& yearName, QPoint pos) = 0;
    // Called for every new diagram (the editable view forwards its changes).
    virtual void diagramAdded(RivuletDiagram&) {}

private:
    void addTab(const QString& title, const SummaryTables& tables, bool estimable, int releaseSite,
                int release);
    bool tabEstimable(int index) const;

    const ReleasesControllerI& m_releases;
    const ReleaseSummary& m_summary;
    QTabWidget* m_tabWidget;
    QTextEdit* m_textEdit;
    QCheckBox* m_removalsCheckBox;
    QPushButton* m_resetButton;
    QPushButton* m_doneButton;
    // Tab order; children of the tab widget and of this widget.
    std::vector<QGraphicsView*> m_views;
    std::vector<RivuletDiagram*> m_diagrams;
    bool m_rebuilding = false;
    int m_firstYearGroupTab = -1;
    int m_firstSiteGroupTab = -1;
    int m_allReleasesTab = -1;
};

// The editable view: a right-click on a site removes it or makes it the last one, on a year
// removes it; "Reset" undoes all such choices. Each change is written through
// StudyConfiguration and announced by dataChanged; the window re-derives the detection
// sequences and then rebuilds the tabs.
class ConfigSitesYearsWidget : public ConfigSitesYearsWidgetBase
{
    Q_OBJECT

public:
    ConfigSitesYearsWidget(ReleasesController& releases, SitesController& sites,
                           YearsController& years, const ReleaseSummary& summary, RivuletDb& rdb,
                           QWidget* parent = nullptr);
    ~ConfigSitesYearsWidget() override;

    const SitesControllerI& sitesController() const override;
    const YearsControllerI& yearsController() const override;

    // The entries the context menu of a site or year offers (empty: no menu opens), and what
    // choosing one does. Public for scripts and tests, which cannot click a pop-up menu.
    QStringList siteMenuEntries(const QString& siteName) const;
    QStringList yearMenuEntries(const QString& yearName) const;
    void chooseSiteEntry(const QString& siteName, int entry);
    void chooseYearEntry(const QString& yearName, int entry);

signals:
    void dataChanged();
    // A change could not be written; nothing changed. `text` says why.
    void editFailed(const QString& text);

public slots:
    void onShowRemovalsChanged();
    void onResetClicked();

protected:
    void handleSiteContextMenuRequest(const QString& siteName, QPoint pos) override;
    void handleYearContextMenuRequest(const QString& yearName, QPoint pos) override;
    void diagramAdded(RivuletDiagram& diagram) override;

private:
    // Announces a written change, or why it was not written.
    void announce(const lum::Expected<void>& edited);

    SitesController& m_sites;
    YearsController& m_years;
    std::unique_ptr<StudyConfiguration> m_configuration;
};

// The read-only view of a counts file ("--counts"): no context menus, "Reset" disabled.
class ShowSitesYearsWidget : public ConfigSitesYearsWidgetBase
{
    Q_OBJECT

public:
    ShowSitesYearsWidget(const ReleasesControllerI& releases, const SitesControllerI& sites,
                         const YearsControllerI& years, const ReleaseSummary& summary,
                         QWidget* parent = nullptr);

    const SitesControllerI& sitesController() const override { return m_sites; }
    const YearsControllerI& yearsController() const override { return m_years; }

protected:
    void handleSiteContextMenuRequest(const QString&, QPoint) override {}
    void handleYearContextMenuRequest(const QString&, QPoint) override {}

private:
    const SitesControllerI& m_sites;
    const YearsControllerI& m_years;
};

} // namespace rivulet

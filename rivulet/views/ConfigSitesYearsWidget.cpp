#include "rivulet/views/ConfigSitesYearsWidget.h"

#include "rivulet/data/ReleasesController.h"
#include "rivulet/data/SitesController.h"
#include "rivulet/data/YearsController.h"
#include "rivulet/study/StudyConfiguration.h"
#include "rivulet/summary/ReleaseSummary.h"
#include "rivulet/views/RivuletDiagram.h"

#include <QCheckBox>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace rivulet {

ConfigSitesYearsWidgetBase::ConfigSitesYearsWidgetBase(const ReleasesControllerI& releases,
                                                       const ReleaseSummary& summary,
                                                       QWidget* parent)
    : QWidget(parent), m_releases(releases), m_summary(summary), m_tabWidget(new QTabWidget),
      m_textEdit(new QTextEdit), m_removalsCheckBox(new QCheckBox(QStringLiteral("Show Removals"))),
      m_resetButton(new QPushButton(QStringLiteral("Reset"))),
      m_doneButton(new QPushButton(QStringLiteral("Done")))
{
    setObjectName(QStringLiteral("ConfigSitesYearsWidget"));
    setWindowTitle(QStringLiteral("Sites and Years Configuration"));
    setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));
    resize(1039, 856);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral(
        "<html><head/><body><p><span style=\" font-size:10pt; font-weight:600;\">- Right-click "
        "on a site to remove it, or to set it as the last site<br/>- Right-click on a year to "
        "remove it</span></p></body></html>")));
    layout->addWidget(m_tabWidget);
    m_textEdit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    m_textEdit->setMaximumHeight(61);
    m_textEdit->setReadOnly(true);
    QFont noteFont = m_textEdit->font();
    noteFont.setPointSize(10);
    m_textEdit->setFont(noteFont);
    layout->addWidget(m_textEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_removalsCheckBox);
    buttons->addStretch();
    buttons->addWidget(m_resetButton);
    buttons->addWidget(m_doneButton);
    layout->addLayout(buttons);
    connect(m_doneButton, &QPushButton::clicked, this, &ConfigSitesYearsWidgetBase::doneClicked);
    connect(m_tabWidget, &QTabWidget::currentChanged, this,
            &ConfigSitesYearsWidgetBase::onTabChanged);
}

ConfigSitesYearsWidgetBase::~ConfigSitesYearsWidgetBase()
{
    // The views before the scenes they show.
    for (QGraphicsView* view : m_views)
        delete view;
    for (RivuletDiagram* diagram : m_diagrams)
        delete diagram;
}

QString ConfigSitesYearsWidgetBase::zeroCountsNote()
{
    return QStringLiteral("The presence of <b><font color='#ff0000'>bold red</font></b> counts "
                          "indicates that some ") +
           QStringLiteral("releases have zero counts embedded within the summary totals, causing "
                          "some model to be unestimable. ") +
           QStringLiteral(
               "Look at each release separately to determine which releases have zero counts.");
}

RivuletDiagram* ConfigSitesYearsWidgetBase::diagram(int tab) const
{
    return tab >= 0 && tab < int(m_diagrams.size()) ? m_diagrams[std::size_t(tab)] : nullptr;
}

void ConfigSitesYearsWidgetBase::rebuildTabs()
{
    const int current = m_tabWidget->currentIndex();
    // An edit rebuilds every diagram; the one in view keeps its place.
    QPoint scrolled;
    if (current >= 0 && current < int(m_views.size())) {
        const QGraphicsView* view = m_views[std::size_t(current)];
        scrolled = {view->horizontalScrollBar()->value(), view->verticalScrollBar()->value()};
    }
    m_rebuilding = true;
    for (QGraphicsView* view : m_views)
        delete view;
    for (RivuletDiagram* diagram : m_diagrams)
        delete diagram;
    m_views.clear();
    m_diagrams.clear();
    m_tabWidget->clear();
    m_firstYearGroupTab = m_firstSiteGroupTab = m_allReleasesTab = -1;
    m_rebuilding = false;

    const QList<int> ids = m_releases.ids();
    const QStringList labels = m_releases.labels();
    for (int r = 0; r < ids.size(); ++r) {
        const int site = sitesController().indexOf(m_releases.releaseSiteId(ids.at(r)));
        addTab(labels.value(r), m_summary.releaseTables(ReleasePos{r}),
               m_summary.releaseEstimable(ReleasePos{r}), site, r);
    }
    if (m_summary.dataClass() == DataClass::SeveralSitesSeveralYears) {
        m_firstYearGroupTab = m_tabWidget->count();
        for (int key : m_summary.yearGroupKeys()) {
            const SummaryTables& group = m_summary.yearGroup(key);
            const QString year = yearsController().yearLabels().value(key);
            addTab(QStringLiteral("AllRelSites_") + year, group, group.estimable, 0, -1);
            m_tabWidget->setTabToolTip(
                m_tabWidget->count() - 1,
                QStringLiteral("The releases of every release site in %1, pooled").arg(year));
        }
        m_firstSiteGroupTab = m_tabWidget->count();
        for (int key : m_summary.siteGroupKeys()) {
            const SummaryTables& group = m_summary.siteGroup(key);
            const QString site = sitesController().shortNames().value(key);
            addTab(QStringLiteral("AllRelYears_") + site, group, group.estimable, 0, -1);
            m_tabWidget->setTabToolTip(
                m_tabWidget->count() - 1,
                QStringLiteral("The releases at %1 in every release year, pooled").arg(site));
        }
    }
    if (m_summary.dataClass() != DataClass::OneSiteOneYear) {
        m_allReleasesTab = m_tabWidget->count();
        addTab(QStringLiteral("AllReleases"), m_summary.pooledTables(), m_summary.pooledEstimable(),
               0, -1);
        m_tabWidget->setTabToolTip(m_tabWidget->count() - 1,
                                   QStringLiteral("Every release of the analysis, pooled"));
    }
    const bool kept = current >= 0 && current < m_tabWidget->count();
    m_tabWidget->setCurrentIndex(kept ? current : m_tabWidget->count() - 1);
    if (kept) {
        // Once laid out: the scroll bars have no range before.
        QGraphicsView* view = m_views[std::size_t(current)];
        QTimer::singleShot(0, view, [view, scrolled] {
            view->horizontalScrollBar()->setValue(scrolled.x());
            view->verticalScrollBar()->setValue(scrolled.y());
        });
    }
    onTabChanged(m_tabWidget->currentIndex());
}

void ConfigSitesYearsWidgetBase::addTab(const QString& title, const SummaryTables& tables,
                                        bool estimable, int releaseSite, int release)
{
    auto* diagram =
        new RivuletDiagram(m_releases, sitesController(), yearsController(), release, this);
    m_diagrams.push_back(diagram);
    auto* view = new QGraphicsView(diagram);
    // A diagram wider than its window opens at its left edge, where the releases are.
    view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_views.push_back(view);
    const int tab = m_tabWidget->addTab(view, title);
    diagramAdded(*diagram);
    connect(diagram, &RivuletDiagram::siteContextMenuRequest, this,
            &ConfigSitesYearsWidgetBase::onSiteContextMenuRequest);
    connect(diagram, &RivuletDiagram::yearContextMenuRequest, this,
            &ConfigSitesYearsWidgetBase::onYearContextMenuRequest);
    diagram->build();

    for (const auto& [key, cell] : tables.transitions) {
        if (cell.exempt)
            continue;
        QPen pen;
        if (cell.fixedAtOne) {
            pen.setColor(Qt::gray);
        } else if (cell.testCount == 0) {
            pen.setColor(Qt::red);
            pen.setWidth(3);
        }
        diagram->addPath(key, QString::number(cell.testCount), pen, DiagramGeometry::labelFont(),
                         false);
    }
    const int siteCount = sitesController().count();
    for (const auto& [key, cell] : tables.captures) {
        bool fullyExempt = !cell.arriving.isEmpty();
        for (const PathKey& arriving : cell.arriving) {
            const auto it = tables.transitions.find(arriving);
            fullyExempt = fullyExempt && (it == tables.transitions.end() || it->second.exempt);
        }
        if ((cell.count == 0 && fullyExempt) || cell.site == releaseSite)
            continue;
        QString text = QString::number(cell.count);
        if (m_removalsCheckBox->isChecked() && cell.count >= 1 && cell.site < siteCount - 1)
            text += QLatin1Char(':') + QString::number(cell.removals);
        diagram->addText(cell.year, cell.site, text, fullyExempt ? Qt::red : Qt::black);
    }
    const QRectF rect = diagram->itemsBoundingRect();
    diagram->setSceneRect(rect.adjusted(-5, 0, 5, 0));
    m_tabWidget->tabBar()->setTabTextColor(tab, estimable ? Qt::black : Qt::red);
}

bool ConfigSitesYearsWidgetBase::tabEstimable(int index) const
{
    if (index < m_releases.count())
        return m_summary.releaseEstimable(ReleasePos{index});
    if (m_summary.dataClass() == DataClass::SeveralSitesSeveralYears && index != m_allReleasesTab) {
        if (index < m_firstSiteGroupTab) {
            const QList<int> keys = m_summary.yearGroupKeys();
            const int at = index - m_firstYearGroupTab;
            return at >= 0 && at < keys.size() && m_summary.yearGroup(keys.at(at)).estimable;
        }
        const QList<int> keys = m_summary.siteGroupKeys();
        const int at = index - m_firstSiteGroupTab;
        return at >= 0 && at < keys.size() && m_summary.siteGroup(keys.at(at)).estimable;
    }
    return m_summary.pooledEstimable();
}

void ConfigSitesYearsWidgetBase::onTabChanged(int index)
{
    if (m_rebuilding || m_tabWidget->count() == 0 || index < 0)
        return;
    m_textEdit->setHtml(tabEstimable(index) ? QString() : zeroCountsNote());
}

void ConfigSitesYearsWidgetBase::onSiteContextMenuRequest(const QString& siteName, QPoint pos)
{
    handleSiteContextMenuRequest(siteName, pos);
}

void ConfigSitesYearsWidgetBase::onYearContextMenuRequest(const QString& yearName, QPoint pos)
{
    handleYearContextMenuRequest(yearName, pos);
}

ConfigSitesYearsWidget::ConfigSitesYearsWidget(ReleasesController& releases, SitesController& sites,
                                               YearsController& years,
                                               const ReleaseSummary& summary, RivuletDb& rdb,
                                               QWidget* parent)
    : ConfigSitesYearsWidgetBase(releases, summary, parent), m_sites(sites), m_years(years),
      m_configuration(std::make_unique<StudyConfiguration>(releases, sites, years, rdb))
{
    connect(resetButton(), &QPushButton::clicked, this, &ConfigSitesYearsWidget::onResetClicked);
    connect(removalsCheckBox(), &QCheckBox::stateChanged, this,
            &ConfigSitesYearsWidget::onShowRemovalsChanged);
}

ConfigSitesYearsWidget::~ConfigSitesYearsWidget() = default;

const SitesControllerI& ConfigSitesYearsWidget::sitesController() const
{
    return m_sites;
}

const YearsControllerI& ConfigSitesYearsWidget::yearsController() const
{
    return m_years;
}

void ConfigSitesYearsWidget::diagramAdded(RivuletDiagram& diagram)
{
    connect(&diagram, &RivuletDiagram::dataChanged, this, &ConfigSitesYearsWidget::dataChanged);
}

QStringList ConfigSitesYearsWidget::siteMenuEntries(const QString& siteName) const
{
    const int position = m_sites.shortNames().indexOf(siteName);
    if (!m_configuration->canRemoveSite(position))
        return {};
    QStringList entries{QStringLiteral("Remove site ") + siteName};
    if (m_configuration->canMakeLastSite(position))
        entries << QStringLiteral("Set ") + siteName + QStringLiteral(" as last site");
    return entries;
}

QStringList ConfigSitesYearsWidget::yearMenuEntries(const QString& yearName) const
{
    if (!m_configuration->canRemoveYear(m_configuration->yearPosition(yearName)))
        return {};
    return {QStringLiteral("Remove year ") + yearName};
}

void ConfigSitesYearsWidget::chooseSiteEntry(const QString& siteName, int entry)
{
    const int position = m_sites.shortNames().indexOf(siteName);
    announce(entry == 0 ? m_configuration->removeSite(position)
                        : m_configuration->setLastSite(position));
}

void ConfigSitesYearsWidget::announce(const lum::Expected<void>& edited)
{
    if (edited)
        emit dataChanged();
    else
        emit editFailed(edited.error().text());
}

void ConfigSitesYearsWidget::chooseYearEntry(const QString& yearName, int)
{
    announce(m_configuration->removeYear(m_configuration->yearPosition(yearName)));
}

void ConfigSitesYearsWidget::handleSiteContextMenuRequest(const QString& siteName, QPoint pos)
{
    const QStringList entries = siteMenuEntries(siteName);
    if (entries.isEmpty())
        return;
    QMenu menu;
    for (const QString& entry : entries)
        menu.addAction(entry);
    if (QAction* chosen = menu.exec(pos))
        chooseSiteEntry(siteName, entries.indexOf(chosen->text()));
}

void ConfigSitesYearsWidget::handleYearContextMenuRequest(const QString& yearName, QPoint pos)
{
    const QStringList entries = yearMenuEntries(yearName);
    if (entries.isEmpty())
        return;
    QMenu menu;
    menu.addAction(entries.first());
    if (menu.exec(pos))
        chooseYearEntry(yearName, 0);
}

void ConfigSitesYearsWidget::onResetClicked()
{
    const lum::Expected<void> reset = m_configuration->reset();
    // What could be reset is, and the study follows it either way.
    emit dataChanged();
    if (!reset)
        emit editFailed(reset.error().text());
}

void ConfigSitesYearsWidget::onShowRemovalsChanged()
{
    rebuildTabs();
}

ShowSitesYearsWidget::ShowSitesYearsWidget(const ReleasesControllerI& releases,
                                           const SitesControllerI& sites,
                                           const YearsControllerI& years,
                                           const ReleaseSummary& summary, QWidget* parent)
    : ConfigSitesYearsWidgetBase(releases, summary, parent), m_sites(sites), m_years(years)
{
    resetButton()->setEnabled(false);
}

} // namespace rivulet

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
    : QWidget(parent), releases_(releases), summary_(summary), tabWidget_(new QTabWidget),
      textEdit_(new QTextEdit), removalsCheckBox_(new QCheckBox(QStringLiteral("Show Removals"))),
      resetButton_(new QPushButton(QStringLiteral("Reset"))),
      doneButton_(new QPushButton(QStringLiteral("Done")))
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
    layout->addWidget(tabWidget_);
    textEdit_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    textEdit_->setMaximumHeight(61);
    textEdit_->setReadOnly(true);
    QFont noteFont = textEdit_->font();
    noteFont.setPointSize(10);
    textEdit_->setFont(noteFont);
    layout->addWidget(textEdit_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(removalsCheckBox_);
    buttons->addStretch();
    buttons->addWidget(resetButton_);
    buttons->addWidget(doneButton_);
    layout->addLayout(buttons);
    connect(doneButton_, &QPushButton::clicked, this, &ConfigSitesYearsWidgetBase::doneClicked);
    connect(tabWidget_, &QTabWidget::currentChanged, this,
            &ConfigSitesYearsWidgetBase::onTabChanged);
}

ConfigSitesYearsWidgetBase::~ConfigSitesYearsWidgetBase()
{
    // The views before the scenes they show.
    for (QGraphicsView* view : views_)
        delete view;
    for (RivuletDiagram* diagram : diagrams_)
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
    return tab >= 0 && tab < int(diagrams_.size()) ? diagrams_[std::size_t(tab)] : nullptr;
}

void ConfigSitesYearsWidgetBase::rebuildTabs()
{
    const int current = tabWidget_->currentIndex();
    // An edit rebuilds every diagram; the one in view keeps its place.
    QPoint scrolled;
    if (current >= 0 && current < int(views_.size())) {
        const QGraphicsView* view = views_[std::size_t(current)];
        scrolled = {view->horizontalScrollBar()->value(), view->verticalScrollBar()->value()};
    }
    rebuilding_ = true;
    for (QGraphicsView* view : views_)
        delete view;
    for (RivuletDiagram* diagram : diagrams_)
        delete diagram;
    views_.clear();
    diagrams_.clear();
    tabWidget_->clear();
    firstYearGroupTab_ = firstSiteGroupTab_ = allReleasesTab_ = -1;
    rebuilding_ = false;

    const QList<int> ids = releases_.ids();
    const QStringList labels = releases_.labels();
    for (int r = 0; r < ids.size(); ++r) {
        const int site = sitesController().indexOf(releases_.releaseSiteId(ids.at(r)));
        addTab(labels.value(r), summary_.releaseTables(ReleasePos{r}),
               summary_.releaseEstimable(ReleasePos{r}), site, r);
    }
    if (summary_.dataClass() == DataClass::SeveralSitesSeveralYears) {
        firstYearGroupTab_ = tabWidget_->count();
        for (int key : summary_.yearGroupKeys()) {
            const SummaryTables& group = summary_.yearGroup(key);
            const QString year = yearsController().yearLabels().value(key);
            addTab(QStringLiteral("AllRelSites_") + year, group, group.estimable, 0, -1);
            tabWidget_->setTabToolTip(
                tabWidget_->count() - 1,
                QStringLiteral("The releases of every release site in %1, pooled").arg(year));
        }
        firstSiteGroupTab_ = tabWidget_->count();
        for (int key : summary_.siteGroupKeys()) {
            const SummaryTables& group = summary_.siteGroup(key);
            const QString site = sitesController().shortNames().value(key);
            addTab(QStringLiteral("AllRelYears_") + site, group, group.estimable, 0, -1);
            tabWidget_->setTabToolTip(
                tabWidget_->count() - 1,
                QStringLiteral("The releases at %1 in every release year, pooled").arg(site));
        }
    }
    if (summary_.dataClass() != DataClass::OneSiteOneYear) {
        allReleasesTab_ = tabWidget_->count();
        addTab(QStringLiteral("AllReleases"), summary_.pooledTables(), summary_.pooledEstimable(),
               0, -1);
        tabWidget_->setTabToolTip(tabWidget_->count() - 1,
                                  QStringLiteral("Every release of the analysis, pooled"));
    }
    const bool kept = current >= 0 && current < tabWidget_->count();
    tabWidget_->setCurrentIndex(kept ? current : tabWidget_->count() - 1);
    if (kept) {
        // Once laid out: the scroll bars have no range before.
        QGraphicsView* view = views_[std::size_t(current)];
        QTimer::singleShot(0, view, [view, scrolled] {
            view->horizontalScrollBar()->setValue(scrolled.x());
            view->verticalScrollBar()->setValue(scrolled.y());
        });
    }
    onTabChanged(tabWidget_->currentIndex());
}

void ConfigSitesYearsWidgetBase::addTab(const QString& title, const SummaryTables& tables,
                                        bool estimable, int releaseSite, int release)
{
    auto* diagram =
        new RivuletDiagram(releases_, sitesController(), yearsController(), release, this);
    diagrams_.push_back(diagram);
    auto* view = new QGraphicsView(diagram);
    // A diagram wider than its window opens at its left edge, where the releases are.
    view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    views_.push_back(view);
    const int tab = tabWidget_->addTab(view, title);
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
        if (removalsCheckBox_->isChecked() && cell.count >= 1 && cell.site < siteCount - 1)
            text += QLatin1Char(':') + QString::number(cell.removals);
        diagram->addText(cell.year, cell.site, text, fullyExempt ? Qt::red : Qt::black);
    }
    const QRectF rect = diagram->itemsBoundingRect();
    diagram->setSceneRect(rect.adjusted(-5, 0, 5, 0));
    tabWidget_->tabBar()->setTabTextColor(tab, estimable ? Qt::black : Qt::red);
}

bool ConfigSitesYearsWidgetBase::tabEstimable(int index) const
{
    if (index < releases_.count())
        return summary_.releaseEstimable(ReleasePos{index});
    if (summary_.dataClass() == DataClass::SeveralSitesSeveralYears && index != allReleasesTab_) {
        if (index < firstSiteGroupTab_) {
            const QList<int> keys = summary_.yearGroupKeys();
            const int at = index - firstYearGroupTab_;
            return at >= 0 && at < keys.size() && summary_.yearGroup(keys.at(at)).estimable;
        }
        const QList<int> keys = summary_.siteGroupKeys();
        const int at = index - firstSiteGroupTab_;
        return at >= 0 && at < keys.size() && summary_.siteGroup(keys.at(at)).estimable;
    }
    return summary_.pooledEstimable();
}

void ConfigSitesYearsWidgetBase::onTabChanged(int index)
{
    if (rebuilding_ || tabWidget_->count() == 0 || index < 0)
        return;
    textEdit_->setHtml(tabEstimable(index) ? QString() : zeroCountsNote());
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
    : ConfigSitesYearsWidgetBase(releases, summary, parent), sites_(sites), years_(years),
      configuration_(std::make_unique<StudyConfiguration>(releases, sites, years, rdb))
{
    connect(resetButton(), &QPushButton::clicked, this, &ConfigSitesYearsWidget::onResetClicked);
    connect(removalsCheckBox(), &QCheckBox::stateChanged, this,
            &ConfigSitesYearsWidget::onShowRemovalsChanged);
}

ConfigSitesYearsWidget::~ConfigSitesYearsWidget() = default;

const SitesControllerI& ConfigSitesYearsWidget::sitesController() const
{
    return sites_;
}

const YearsControllerI& ConfigSitesYearsWidget::yearsController() const
{
    return years_;
}

void ConfigSitesYearsWidget::diagramAdded(RivuletDiagram& diagram)
{
    connect(&diagram, &RivuletDiagram::dataChanged, this, &ConfigSitesYearsWidget::dataChanged);
}

QStringList ConfigSitesYearsWidget::siteMenuEntries(const QString& siteName) const
{
    const int position = sites_.shortNames().indexOf(siteName);
    if (!configuration_->canRemoveSite(position))
        return {};
    QStringList entries{QStringLiteral("Remove site ") + siteName};
    if (configuration_->canMakeLastSite(position))
        entries << QStringLiteral("Set ") + siteName + QStringLiteral(" as last site");
    return entries;
}

QStringList ConfigSitesYearsWidget::yearMenuEntries(const QString& yearName) const
{
    if (!configuration_->canRemoveYear(configuration_->yearPosition(yearName)))
        return {};
    return {QStringLiteral("Remove year ") + yearName};
}

void ConfigSitesYearsWidget::chooseSiteEntry(const QString& siteName, int entry)
{
    const int position = sites_.shortNames().indexOf(siteName);
    const bool changed =
        entry == 0 ? configuration_->removeSite(position) : configuration_->setLastSite(position);
    if (changed)
        emit dataChanged();
}

void ConfigSitesYearsWidget::chooseYearEntry(const QString& yearName, int)
{
    if (configuration_->removeYear(configuration_->yearPosition(yearName)))
        emit dataChanged();
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
    configuration_->reset();
    emit dataChanged();
}

void ConfigSitesYearsWidget::onShowRemovalsChanged()
{
    rebuildTabs();
}

ShowSitesYearsWidget::ShowSitesYearsWidget(const ReleasesControllerI& releases,
                                           const SitesControllerI& sites,
                                           const YearsControllerI& years,
                                           const ReleaseSummary& summary, QWidget* parent)
    : ConfigSitesYearsWidgetBase(releases, summary, parent), sites_(sites), years_(years)
{
    resetButton()->setEnabled(false);
}

} // namespace rivulet

#include "rivulet/views/ViewFactory.h"

#include "lum/ui/LumMainWindow.h"
#include "lum/ui/TableCopy.h"
#include "lum/ui/UserPrompts.h"
#include "rivulet/settings/RivuletSettings.h"
#include "rivulet/study/Study.h"
#include "rivulet/views/ConfigReleasesCohortsWidget.h"
#include "rivulet/views/ConfigSitesYearsWidget.h"
#include "rivulet/views/EstimatesWidget.h"
#include "rivulet/views/GoodnessOfFitWidget.h"
#include "rivulet/views/ModelEstimateItem.h"
#include "rivulet/views/ModelEstimateModel.h"
#include "rivulet/views/NextDetectionsWidget.h"
#include "rivulet/views/ResultsTableModel.h"
#include "rivulet/views/RivuletSettingsWidget.h"
#include "rivulet/views/StudyDesignWidget.h"

#include <QHeaderView>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>

#include <algorithm>
#include <type_traits>
#include <utility>

namespace rivulet {

ViewFactory::ViewFactory(lum::LumMainWindow& window, Study& study, const ModelEstimateModel& models,
                         bool countsFile, Host host)
    : m_window(window), m_study(study), m_models(models), m_countsFile(countsFile),
      m_host(std::move(host))
{
}

void ViewFactory::place(View view, QWidget* widget, const QString& title, const QRect& geometry)
{
    QMdiSubWindow* window = m_window.createSubWindow(view, widget);
    window->setWindowTitle(title);
    window->setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));
    m_window.placeSubWindow(window, geometry);
}

void ViewFactory::makeComparison()
{
    auto* view = new QTableView;
    view->setWindowTitle(QStringLiteral("Model Comparison"));
    view->setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));
    view->setModel(new ResultsTableModel(m_models, view));
    view->setSelectionMode(QAbstractItemView::ContiguousSelection);
    lum::TableCopy::install(view);
    view->setWordWrap(true);
    view->resizeColumnsToContents();
    QMdiSubWindow* window = m_window.createSubWindow(View::ModelComparison, view);
    window->setWindowTitle(QStringLiteral("Model Comparison"));
    window->setWindowIcon(view->windowIcon());
    int width = view->verticalHeader()->width() + 20;
    for (int c = 0; c < view->model()->columnCount(); ++c)
        width += view->columnWidth(c);
    int height = view->horizontalHeader()->height() + 40;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        height += view->rowHeight(r);
    // The whole table when it fits; otherwise the model names wrap onto more lines, never
    // cut short, so that the figures stay in sight.
    const QSize room = m_window.mdiArea()->viewport()->size() - QSize(20, 20);
    if (width > room.width() && room.width() > 0) {
        const int excess = width - room.width();
        view->setColumnWidth(0, std::max(260, view->columnWidth(0) - excess));
        width = room.width();
    }
    view->resizeRowsToContents();
    // Rows grow with what they show once the models are fitted or the figures change.
    const auto fitRows = [view] { view->resizeRowsToContents(); };
    QObject::connect(view->model(), &QAbstractItemModel::modelReset, view, fitRows);
    QObject::connect(view->model(), &QAbstractItemModel::dataChanged, view, fitRows);
    height = view->horizontalHeader()->height() + 40;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        height += view->rowHeight(r);
    if (room.height() > 0)
        height = std::min(height, room.height());
    window->setGeometry(10, 10, width, height);
}

void ViewFactory::make(View view, const ModelEstimateItem* selected)
{
    if (m_window.subWindow(view))
        return;
    const RivuletSettings& settings = RivuletSettings::instance();
    // "Done" closes the view once the click that asked for it has been handled.
    const auto closeOnDone = [this, view](auto* widget) {
        QObject::connect(
            widget, &std::remove_pointer_t<decltype(widget)>::doneClicked, &m_window,
            [this, view] { m_host.close(view); }, Qt::QueuedConnection);
    };
    switch (view) {
    case View::ModelComparison:
        makeComparison();
        return;
    case View::GoodnessOfFit: {
        auto* widget = new GoodnessOfFitWidget(m_study);
        place(view, widget, widget->windowTitle(), QRect(100, 100, 760, 700));
        return;
    }
    case View::StudyDesign: {
        auto* widget = new StudyDesignWidget(m_study, m_window.prompts());
        place(view, widget, widget->windowTitle(), QRect(100, 100, 1000, 760));
        return;
    }
    case View::Diagram: {
        auto* widget =
            new EstimatesWidget(m_study.releases(), m_study.sites(), m_study.years(),
                                m_study.summary(), settings.estimatePrecision(),
                                settings.errorPrecision(), selected ? selected->result() : nullptr);
        place(view, widget, widget->windowTitle(), QRect(100, 100, 760, 660));
        closeOnDone(widget);
        return;
    }
    case View::NextDetections: {
        auto* widget = new NextDetectionsWidget(m_study.releases(), m_study.sites(),
                                                m_study.years(), m_study.nextDetections());
        place(view, widget, QStringLiteral("Next Detections"), QRect(100, 100, 600, 400));
        closeOnDone(widget);
        return;
    }
    case View::ReleasesCohorts: {
        // A counts file fixes its releases.
        if (m_countsFile)
            return;
        auto* widget = new ConfigReleasesCohortsWidget(m_study, m_window.prompts());
        place(view, widget, widget->windowTitle(), QRect(100, 100, 600, 400));
        QObject::connect(
            widget, &ConfigReleasesCohortsWidget::dataChanged, &m_window,
            [this] { m_host.configurationChanged(); }, Qt::QueuedConnection);
        closeOnDone(widget);
        return;
    }
    case View::SitesYears: {
        ConfigSitesYearsWidgetBase* widget = nullptr;
        if (m_countsFile) {
            widget = new ShowSitesYearsWidget(m_study.releases(), m_study.sites(), m_study.years(),
                                              m_study.summary());
        } else {
            auto* editable = new ConfigSitesYearsWidget(
                *m_study.databaseReleases(), *m_study.databaseSites(), *m_study.databaseYears(),
                m_study.summary(), m_study.database());
            QObject::connect(
                editable, &ConfigSitesYearsWidget::dataChanged, &m_window,
                [this] { m_host.configurationChanged(); }, Qt::QueuedConnection);
            QObject::connect(
                editable, &ConfigSitesYearsWidget::editFailed, &m_window,
                [this, editable](const QString& text) {
                    m_window.prompts().tell(
                        editable, QMessageBox::Critical, editable->windowTitle(),
                        QStringLiteral("The change could not be stored: %1").arg(text));
                });
            widget = editable;
        }
        widget->rebuildTabs();
        place(view, widget, widget->windowTitle(), QRect(100, 100, 600, 400));
        closeOnDone(widget);
        return;
    }
    case View::Settings: {
        auto* widget = new RivuletSettingsWidget(m_window.prompts());
        place(view, widget, QStringLiteral("Settings"), QRect(100, 100, 600, 400));
        QObject::connect(widget, &RivuletSettingsWidget::precisionSettingsChanged, &m_window,
                         [this] { m_host.precisionChanged(); });
        QObject::connect(widget, &RivuletSettingsWidget::uiSettingsChanged, &m_window,
                         [this] { m_host.uiChanged(); });
        QObject::connect(widget, &RivuletSettingsWidget::doneClicked, &m_window,
                         [this] { m_host.settingsDone(); });
        return;
    }
    }
}

} // namespace rivulet

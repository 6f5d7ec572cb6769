#include "rivulet/views/WindowNavigation.h"

#include "lum/ui/NavPanelItem.h"
#include "lum/ui/NavPanelModel.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/reports/RivuletReport.h"
#include "rivulet/views/RivuletWindow.h"

#include <QMenu>

namespace rivulet {

// Named rather than anonymous: these files are compiled together in batches.
namespace navparts {

using Predicate = NavEntry::Predicate;

bool idle(const NavState& s)
{
    return s.idle;
}
bool loaded(const NavState& s)
{
    return s.loaded();
}
bool fitted(const NavState& s)
{
    return s.idle && s.fitted;
}
bool modelChosen(const NavState& s)
{
    return s.idle && s.modelSelected;
}
bool counts(const NavState& s)
{
    return s.countsFile;
}
bool observations(const NavState& s)
{
    return !s.countsFile;
}
bool withDiagnostics(const NavState& s)
{
    return s.countsFile || s.diagnostics;
}
bool expert(const NavState& s)
{
    return s.expert;
}

NavEntry heading(const QString& title, const NavEntry* parent, Predicate enabled,
                 Predicate shown = {})
{
    NavEntry entry;
    entry.title = title;
    entry.look = lum::NavPanelItem::Kind::Heading;
    entry.heading = parent;
    entry.enabled = std::move(enabled);
    entry.shown = std::move(shown);
    return entry;
}

NavEntry action(const QString& title, const NavEntry& parent, NavEntry::Menu menu,
                Predicate enabled, std::function<void(RivuletWindow&)> open, Predicate shown = {},
                const QKeySequence& shortcut = {})
{
    NavEntry entry;
    entry.title = title;
    entry.heading = &parent;
    entry.menu = menu;
    entry.enabled = std::move(enabled);
    entry.open = std::move(open);
    entry.shown = std::move(shown);
    entry.shortcut = shortcut;
    return entry;
}

NavEntry view(const QString& title, const NavEntry& parent, NavEntry::Menu menu, Predicate enabled,
              View shows, Predicate shown = {}, const QKeySequence& shortcut = {})
{
    return action(
        title, parent, menu, std::move(enabled), [shows](RivuletWindow& w) { w.openView(shows); },
        std::move(shown), shortcut);
}

NavEntry report(qint32 kind, ReportKind shows)
{
    NavEntry entry = action(RivuletReport::reportTitle(kind), nav::reports, NavEntry::Menu::Windows,
                            modelChosen, [shows](RivuletWindow& w) { w.showReport(shows); });
    entry.look = lum::NavPanelItem::Kind::Report;
    return entry;
}

constexpr auto Data = NavEntry::Menu::Data;
constexpr auto Windows = NavEntry::Menu::Windows;

} // namespace navparts

namespace nav {

using namespace navparts;

// The steps of every study have keys: load (Ctrl+L), fit (F5), compare (Ctrl+M).
const NavEntry data = heading(QStringLiteral("Data"), nullptr, idle);
const NavEntry loadObservations = action(
    QStringLiteral("Load Observations"), data, Data, idle,
    [](RivuletWindow& w) { w.loadObservations(); }, observations,
    QKeySequence(Qt::CTRL | Qt::Key_L));
const NavEntry loadAgeData = action(
    QStringLiteral("Load Age Data"), data, Data, loaded, [](RivuletWindow& w) { w.loadAgeData(); },
    observations);
const NavEntry loadSimulatedData = action(
    QStringLiteral("Load Simulated Data"), data, Data, idle,
    [](RivuletWindow& w) { w.loadSimulatedData(); }, counts, QKeySequence(Qt::CTRL | Qt::Key_L));
const NavEntry configuration = heading(QStringLiteral("Configuration"), nullptr, loaded);
const NavEntry releasesCohorts = view(QStringLiteral("Releases and Cohorts Configuration"),
                                      configuration, Data, loaded, View::ReleasesCohorts);
const NavEntry sitesYears = view(QStringLiteral("Sites and Years Configuration"), configuration,
                                 Data, loaded, View::SitesYears);
const NavEntry diagnostics =
    heading(QStringLiteral("Diagnostic Tools"), nullptr, loaded, withDiagnostics);
const NavEntry nextDetections = view(QStringLiteral("Next Detections"), diagnostics, Data, loaded,
                                     View::NextDetections, withDiagnostics);
const NavEntry saveNextDetections = action(
    QStringLiteral("Save Next Detections"), diagnostics, Data, loaded,
    [](RivuletWindow& w) { w.saveNextDetections(); }, withDiagnostics);
// It takes a fitted model as the truth.
const NavEntry studyDesign = view(QStringLiteral("Study Design"), diagnostics, Windows, fitted,
                                  View::StudyDesign, withDiagnostics);
const NavEntry estimation = heading(QStringLiteral("Estimation"), nullptr, loaded);
const NavEntry fitAllModels = action(
    QStringLiteral("Fit All Models"), estimation, Data, loaded,
    [](RivuletWindow& w) { w.fitAllModels(); }, {}, QKeySequence(Qt::Key_F5));
const NavEntry modelSelection = [] {
    NavEntry entry = heading(QStringLiteral("Model Selection"), nullptr, loaded, expert);
    entry.listsModels = true;
    return entry;
}();
const NavEntry results = heading(QStringLiteral("Results"), nullptr, loaded);
const NavEntry modelComparison =
    view(QStringLiteral("Model Comparison"), results, Windows, modelChosen, View::ModelComparison,
         {}, QKeySequence(Qt::CTRL | Qt::Key_M));
const NavEntry graphicalResults =
    view(QStringLiteral("Graphical Results"), results, Windows, modelChosen, View::Diagram);
// It fits its own model, so it needs the data only.
const NavEntry goodnessOfFit =
    view(QStringLiteral("Goodness of Fit"), results, Windows, loaded, View::GoodnessOfFit);
const NavEntry reports = heading(QStringLiteral("Reports"), &results, loaded);
const NavEntry survivalReport = report(RivuletReport::PhiParameterKind, ReportKind::Survival);
const NavEntry captureReport = report(RivuletReport::CaptureParameterKind, ReportKind::Capture);
const NavEntry performanceReport =
    report(RivuletReport::PerformanceMeasureKind, ReportKind::Performance);
const NavEntry modelAverageReport = [] {
    NavEntry entry = report(RivuletReport::ModelAverageKind, ReportKind::ModelAverage);
    entry.enabled = fitted;
    entry.open = [](RivuletWindow& w) { w.showModelAverageReport(); };
    return entry;
}();

std::vector<const NavEntry*> standard()
{
    return {&data,
            &loadSimulatedData,
            &loadObservations,
            &loadAgeData,
            &configuration,
            &releasesCohorts,
            &sitesYears,
            &diagnostics,
            &nextDetections,
            &saveNextDetections,
            &studyDesign,
            &estimation,
            &fitAllModels,
            &modelSelection,
            &results,
            &modelComparison,
            &graphicalResults,
            &goodnessOfFit,
            &reports,
            &survivalReport,
            &captureReport,
            &performanceReport,
            &modelAverageReport};
}

} // namespace nav

WindowNavigation::WindowNavigation(RivuletWindow& window, std::vector<const NavEntry*> entries)
    : m_window(window), m_entries(std::move(entries))
{
}

void WindowNavigation::add(const NavEntry& entry)
{
    m_entries.push_back(&entry);
}

void WindowNavigation::build(const NavState& state, const ModelCatalogue& catalogue,
                             const std::optional<EquatingScheme>& selected)
{
    m_window.clearNav();
    m_items.clear();
    m_modelItems.clear();
    for (const NavEntry* entry : m_entries) {
        if (entry->shown && !entry->shown(state))
            continue;
        lum::NavPanelItem* parent = nullptr;
        if (entry->heading) {
            parent = item(*entry->heading);
            // Under a heading that is not shown, the entry is not shown either.
            if (!parent)
                continue;
        }
        QMenu* menu = entry->menu == NavEntry::Menu::Data ? m_window.menu(AppMenu::Data)
                      : entry->menu == NavEntry::Menu::Windows
                          ? m_window.menu(lum::LumMainWindow::MenuId::Window)
                          : nullptr;
        std::function<void()> open;
        if (entry->open)
            open = [this, entry] { entry->open(m_window); };
        lum::NavPanelItem* made =
            m_window.addNavItem(entry->look, entry->title, parent, menu, open);
        if (!entry->shortcut.isEmpty())
            made->setShortcut(entry->shortcut);
        m_items[entry] = made;
        if (entry->listsModels)
            addModels(*entry, made, catalogue, selected);
    }
}

void WindowNavigation::addModels(const NavEntry& entry, lum::NavPanelItem* parent,
                                 const ModelCatalogue& catalogue,
                                 const std::optional<EquatingScheme>& selected)
{
    lum::NavPanelItem* heading = parent;
    QString headingText;
    for (const auto& definition : catalogue.definitionItems()) {
        const EquatingScheme scheme = definition->scheme();
        if (definition->isHeading()) {
            headingText = definition->description();
            heading =
                m_window.addNavItem(lum::NavPanelItem::Kind::Heading, headingText, parent, nullptr);
            heading->setToolTip(headingText);
            m_modelItems.push_back({scheme, true, heading, &entry});
            continue;
        }
        lum::NavPanelItem* made = m_window.addNavItem(lum::NavPanelItem::Kind::Action,
                                                      definition->name() + QStringLiteral(": ") +
                                                          definition->description(),
                                                      heading, nullptr, [this, scheme] {
                                                          m_window.selectModel(scheme);
                                                          m_window.updateNav();
                                                      });
        made->setToolTip(headingText + QStringLiteral(", ") + definition->description());
        made->setSelected(selected && *selected == scheme);
        m_modelItems.push_back({scheme, false, made, &entry});
    }
}

void WindowNavigation::enable(const NavState& state,
                              const std::function<bool(const EquatingScheme&)>& estimated)
{
    // A heading passes its state to its entries; each entry then takes its own, in panel order
    // (a heading before its entries).
    for (const NavEntry* entry : m_entries) {
        lum::NavPanelItem* made = item(*entry);
        if (!made)
            continue;
        const bool on = entry->enabled && entry->enabled(state);
        lum::LumMainWindow::setEnabledRecursive(made, on);
        if (!entry->listsModels)
            continue;
        for (const ModelItem& model : m_modelItems) {
            if (model.entry != entry)
                continue;
            lum::LumMainWindow::setEnabledRecursive(
                model.item, model.heading ? on : state.idle && estimated(model.scheme));
        }
    }
}

lum::NavPanelItem* WindowNavigation::item(const NavEntry& entry) const
{
    const auto found = m_items.find(&entry);
    return found == m_items.end() ? nullptr : found->second;
}

lum::NavPanelItem* WindowNavigation::item(const EquatingScheme& model) const
{
    for (const ModelItem& made : m_modelItems) {
        if (!made.heading && made.scheme == model)
            return made.item;
    }
    return nullptr;
}

} // namespace rivulet

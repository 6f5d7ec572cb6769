#pragma once

#include "lum/ui/NavPanelItem.h"
#include "rivulet/model/EquatingScheme.h"

#include <QKeySequence>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace rivulet {

class ModelCatalogue;
class RivuletWindow;

// Where the window and its study stand, as the navigation reads it to show and enable its
// entries.
struct NavState
{
    bool countsFile = false;    // simulated counts: no observations or ages to load
    bool diagnostics = false;   // the diagnostic tools are shown
    bool expert = false;        // the models can be chosen one by one
    bool idle = false;          // no flow is running
    bool hasData = false;       // the study holds data
    bool modelSelected = false; // a model is chosen
    bool fitted = false;        // some model has results

    bool loaded() const { return idle && hasData; }
};

// One entry of the navigation panel, which is also a menu action: its title and place, the
// menu that lists it, its shortcut, when it is shown and enabled, and what opening it does.
// A flow of the window is one entry in the window's navigation.
struct NavEntry
{
    enum class Menu
    {
        None,
        Data,
        Windows
    };
    using Predicate = std::function<bool(const NavState&)>;

    QString title;
    lum::NavPanelItem::Kind look = lum::NavPanelItem::Kind::Action;
    const NavEntry* heading = nullptr; // the entry it is listed under; null at the top
    Menu menu = Menu::None;
    QKeySequence shortcut;
    Predicate shown;   // empty: always shown
    Predicate enabled; // empty: never enabled
    std::function<void(RivuletWindow&)> open;
    // Its entries are the catalogue's models, under the catalogue's capture headings.
    bool listsModels = false;
};

// The window's entries, in the order of the panel.
namespace nav {
extern const NavEntry data;
extern const NavEntry loadObservations;
extern const NavEntry loadAgeData;
extern const NavEntry loadSimulatedData;
extern const NavEntry configuration;
extern const NavEntry releasesCohorts;
extern const NavEntry sitesYears;
extern const NavEntry diagnostics;
extern const NavEntry nextDetections;
extern const NavEntry saveNextDetections;
extern const NavEntry studyDesign;
extern const NavEntry estimation;
extern const NavEntry fitAllModels;
extern const NavEntry modelSelection;
extern const NavEntry results;
extern const NavEntry modelComparison;
extern const NavEntry graphicalResults;
extern const NavEntry goodnessOfFit;
extern const NavEntry reports;
extern const NavEntry survivalReport;
extern const NavEntry captureReport;
extern const NavEntry performanceReport;
extern const NavEntry modelAverageReport;

// Every entry above, in panel order.
std::vector<const NavEntry*> standard();
} // namespace nav

// Builds the window's navigation panel (and the menu actions it shares) from its entries, finds
// the item of an entry or of a catalogue model, and enables each as the state says. The entries
// are borrowed and must outlive the navigation.
class WindowNavigation
{
public:
    WindowNavigation(RivuletWindow& window, std::vector<const NavEntry*> entries);

    // An entry after the others; shown from the next build().
    void add(const NavEntry& entry);
    // The panel anew: the entries the state shows, the catalogue's models under an entry that
    // lists them (`selected` marked).
    void build(const NavState& state, const ModelCatalogue& catalogue,
               const std::optional<EquatingScheme>& selected);
    // Enables every item by its entry; a model item when it is estimated as well.
    void enable(const NavState& state, const std::function<bool(const EquatingScheme&)>& estimated);

    lum::NavPanelItem* item(const NavEntry& entry) const;
    lum::NavPanelItem* item(const EquatingScheme& model) const;

private:
    void addModels(const NavEntry& entry, lum::NavPanelItem* parent,
                   const ModelCatalogue& catalogue, const std::optional<EquatingScheme>& selected);

    RivuletWindow& m_window;
    std::vector<const NavEntry*> m_entries;
    std::map<const NavEntry*, lum::NavPanelItem*> m_items; // owned by the panel's tree
    struct ModelItem
    {
        EquatingScheme scheme;
        bool heading;
        lum::NavPanelItem* item;
        const NavEntry* entry;
    };
    std::vector<ModelItem> m_modelItems; // panel order
};

} // namespace rivulet

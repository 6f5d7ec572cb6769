#pragma once

#include <QAction>

#include <memory>
#include <vector>

namespace lum {

class NavPanelModel;

// One entry of the navigation panel, which is at the same time a menu action: triggering it
// from the tree or from a menu does the same thing. An item owns its children.
class NavPanelItem : public QAction
{
    Q_OBJECT

public:
    // How an item looks in the panel.
    enum class Kind
    {
        Action,  // blue while enabled
        Root,    // the invisible root
        Report,  // an action with the report icon
        Heading, // black, bold while enabled; opens nothing
        Plot,    // an action with the plot icon
        Plain    // black italic text
    };

    NavPanelItem(const QString& name, NavPanelModel* model, NavPanelItem* parent = nullptr);
    ~NavPanelItem() override;

    Kind kind() const { return m_kind; }
    void setKind(Kind kind) { m_kind = kind; }
    bool isSelected() const { return m_selected; }
    bool isActive() const { return m_active; }
    bool isLocked() const { return m_locked; }
    void setSelected(bool value) { m_selected = value; }
    void setActive(bool value) { m_active = value; }
    void setLocked(bool value) { m_locked = value; }
    const QString& name() const { return m_name; }
    NavPanelModel* model() const { return m_model; }
    NavPanelItem* parentItem() const { return m_parent; }
    bool navEnabled() const { return m_navEnabled; }
    void setNavEnabled(bool value) { m_navEnabled = value; }

    int childCount() const { return static_cast<int>(m_children.size()); }
    NavPanelItem* child(int row) const;
    // Position among the parent's children; 0 for the root.
    int row() const;
    NavPanelItem* appendChild(std::unique_ptr<NavPanelItem> child);
    // Deletes every child (and their descendants).
    void clearChildren();

private:
    Kind m_kind = Kind::Plain;
    bool m_selected = false;
    bool m_active = false;
    bool m_locked = false;
    bool m_navEnabled = true;
    QString m_name;
    NavPanelModel* m_model = nullptr;
    NavPanelItem* m_parent = nullptr;
    std::vector<std::unique_ptr<NavPanelItem>> m_children;
};

} // namespace lum

#include "lum/ui/NavPanelItem.h"

#include <algorithm>

namespace lum {

NavPanelItem::NavPanelItem(const QString& name, NavPanelModel* model, NavPanelItem* parent)
    : QAction(name, nullptr), m_name(name), m_model(model), m_parent(parent)
{
}

NavPanelItem::~NavPanelItem()
{
    clearChildren();
}

NavPanelItem* NavPanelItem::child(int row) const
{
    if (row < 0 || row >= childCount())
        return nullptr;
    return m_children[static_cast<std::size_t>(row)].get();
}

int NavPanelItem::row() const
{
    if (!m_parent)
        return 0;
    const auto& siblings = m_parent->m_children;
    const auto it = std::find_if(siblings.begin(), siblings.end(),
                                 [this](const auto& sibling) { return sibling.get() == this; });
    return static_cast<int>(it - siblings.begin());
}

NavPanelItem* NavPanelItem::appendChild(std::unique_ptr<NavPanelItem> child)
{
    child->m_parent = this;
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

void NavPanelItem::clearChildren()
{
    // Menus that show a child keep a pointer to it; a disconnected, deleted
    // action leaves them by itself.
    for (auto& child : m_children)
        child->disconnect();
    m_children.clear();
}

} // namespace lum

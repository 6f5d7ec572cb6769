#include "lum/ui/NavPanelView.h"

#include <QHeaderView>

namespace lum {

NavPanelView::NavPanelView(QWidget* parent) : QTreeView(parent)
{
    setHeaderHidden(true);
    setExpandsOnDoubleClick(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    // Item names are never cut short: a narrow panel scrolls instead.
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
}

} // namespace lum

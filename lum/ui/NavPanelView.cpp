#include "lum/ui/NavPanelView.h"

namespace lum {

NavPanelView::NavPanelView(QWidget* parent) : QTreeView(parent)
{
    setHeaderHidden(true);
    setExpandsOnDoubleClick(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

} // namespace lum

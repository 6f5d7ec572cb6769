#pragma once

#include <QTreeView>

namespace lum {

// The navigation panel's tree: no header, and a double click triggers an item rather than
// folding its branch.
class NavPanelView : public QTreeView
{
    Q_OBJECT

public:
    explicit NavPanelView(QWidget* parent = nullptr);
};

} // namespace lum

#pragma once

#include <QList>

namespace rivulet {

// One dimension of the analysis as the rest of the program sees it: the active items of a
// table, addressed by their position in ids() (the item's active sequence number).
class ControllerI
{
public:
    virtual ~ControllerI() = default;

    // Reloads every list from the store.
    virtual void refresh() = 0;
    // Number of active items (the length of ids()).
    virtual int count() const = 0;
    // Ids of the active items, in active order.
    virtual QList<int> ids() const = 0;
};

} // namespace rivulet

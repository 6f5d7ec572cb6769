#pragma once

#include "rivulet/data/ControllerI.h"

#include <QList>
#include <QStringList>

namespace rivulet {

// The active migration years in chronological order.
class YearsControllerI : public ControllerI
{
public:
    // Position of the year in ids(), or -1 when it is not active.
    virtual int indexOf(int yearId) const = 0;
    virtual QList<int> years() const = 0;
    virtual QStringList yearLabels() const = 0;
    // The smallest active calendar year; 3000 when there is none.
    virtual int firstYear() const = 0;
};

} // namespace rivulet

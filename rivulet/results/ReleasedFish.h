#pragma once

#include <QtGlobal>

namespace rivulet {

class NextDetectionsI;

// The sample size of the small-sample criterion AICc: the number of fish released in the
// releases of the analysis, each counted once (never seen, or at its first detection).
class ReleasedFish
{
public:
    static qint64 count(const NextDetectionsI& counts);
};

} // namespace rivulet

#pragma once

#include "rivulet/summary/CaptureKey.h"
#include "rivulet/summary/PathKey.h"

#include <QVector>

#include <cstdint>

namespace rivulet {

// Detection at one site in one year, for one release (or pooled releases), with the
// transition cells that lead into it (site == this site, y2 == this year) and those that
// leave it (site == this site + 1, y1 == this year). The cells are named by key; look them
// up in the transition table of the same set of tables.
struct CaptureCell
{
    std::int32_t year = 0;
    std::int32_t site = 0;
    QVector<PathKey> arriving;
    QVector<PathKey> leaving;
    // Fish detected at this site in this year.
    std::int64_t count = 0;
    // Those of them whose detection here ended their history.
    std::int64_t removals = 0;
    // The capture probability p(r, site, year) is fixed at 0.
    bool fixedAtZero = false;

    CaptureKey key() const { return CaptureKey{year, site}; }
};

} // namespace rivulet

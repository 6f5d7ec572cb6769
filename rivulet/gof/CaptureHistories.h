#pragma once

#include "lum/core/Expected.h"
#include "rivulet/gof/CohortArray.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace rivulet::gof {

// Classic capture histories, where every capture is a release: each occasion's newly caught
// animals are a cohort.
struct CaptureHistory
{
    // One character per occasion: '1' caught (and released unless removed), '0' not.
    QString occasions;
    std::int64_t count = 1;
    // The animal was not released after its last capture (lost on capture).
    bool removedAtLast = false;
};

// The cohort array of the histories, all of the same length (histories of another length
// and empty ones are ignored).
CohortArray cohortsFromHistories(const std::vector<CaptureHistory>& histories);

// Reads a histories file: one history a line, then one count per group (a negative count for
// animals removed at their last capture), optionally ending in ';'. Text between "/*" and "*/"
// is a comment. Keeps the count of group `group` (0-based) and drops lines where it is 0.
// An input error naming the line for a malformed line.
lum::Expected<std::vector<CaptureHistory>> readHistories(const QString& text, int group);

} // namespace rivulet::gof

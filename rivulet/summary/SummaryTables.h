#pragma once

#include "rivulet/summary/CaptureCell.h"
#include "rivulet/summary/CaptureKey.h"
#include "rivulet/summary/PathKey.h"
#include "rivulet/summary/TransitionCell.h"

#include <map>

namespace rivulet {

using TransitionTable = std::map<PathKey, TransitionCell>;
using CaptureTable = std::map<CaptureKey, CaptureCell>;

// The transition and capture cells of one release, of one group of releases or of all
// releases pooled, with the estimability indicator of that set of tables.
struct SummaryTables
{
    TransitionTable transitions;
    CaptureTable captures;
    bool estimable = true;

    const TransitionCell* transition(const PathKey& key) const
    {
        const auto it = transitions.find(key);
        return it == transitions.end() ? nullptr : &it->second;
    }
    TransitionCell* transition(const PathKey& key)
    {
        const auto it = transitions.find(key);
        return it == transitions.end() ? nullptr : &it->second;
    }
    const CaptureCell* capture(const CaptureKey& key) const
    {
        const auto it = captures.find(key);
        return it == captures.end() ? nullptr : &it->second;
    }
    CaptureCell* capture(const CaptureKey& key)
    {
        const auto it = captures.find(key);
        return it == captures.end() ? nullptr : &it->second;
    }
};

} // namespace rivulet

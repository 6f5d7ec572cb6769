#pragma once

#include <QHashFunctions>

#include <cstdint>
#include <tuple>

namespace rivulet {

// A place of detection of the release summary: year position and site position (in that
// order, as the capture cells are keyed). Ordered down-river: by site, then by year.
struct CaptureKey
{
    std::int32_t year = 0;
    std::int32_t site = 0;

    bool operator==(const CaptureKey& o) const { return year == o.year && site == o.site; }
    bool operator!=(const CaptureKey& o) const { return !(*this == o); }
    bool operator<(const CaptureKey& o) const
    {
        return std::tie(site, year) < std::tie(o.site, o.year);
    }
};

inline uint qHash(const CaptureKey& key, uint seed = 0)
{
    return ::qHash(key.site * 1009 + key.year, seed);
}

} // namespace rivulet

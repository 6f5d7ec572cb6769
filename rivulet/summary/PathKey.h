#pragma once

#include <QHashFunctions>
#include <QMetaType>

#include <cstdint>
#include <tuple>

namespace rivulet {

// One path of one release: from site position site-1 in year position upstreamYear to site
// position site in year position downstreamYear. It names a transition cell of the release
// summary and a path of the diagram. Ordered by site, then upstream year, then downstream
// year (down-river order).
struct PathKey
{
    std::int32_t site = 0;
    std::int32_t upstreamYear = 0;
    std::int32_t downstreamYear = 0;

    bool operator==(const PathKey& o) const
    {
        return site == o.site && upstreamYear == o.upstreamYear &&
               downstreamYear == o.downstreamYear;
    }
    bool operator!=(const PathKey& o) const { return !(*this == o); }
    bool operator<(const PathKey& o) const
    {
        return std::tie(site, upstreamYear, downstreamYear) <
               std::tie(o.site, o.upstreamYear, o.downstreamYear);
    }
};

inline uint qHash(const PathKey& key, uint seed = 0)
{
    return ::qHash(key.site, seed) ^ ::qHash(key.upstreamYear * 131 + key.downstreamYear, seed);
}

} // namespace rivulet

Q_DECLARE_METATYPE(rivulet::PathKey)

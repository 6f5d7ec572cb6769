#pragma once

namespace rivulet {

// A release is named two ways: by its id, the row id the database gives it, which the counts
// and the controllers' per-release queries take; and by its position in the releases
// controller's ids(), which tables, reports and the release summary are laid out by. The two
// are distinct types so that one cannot be handed where the other is meant; indexOf() on the
// releases controller turns an id into its position.
struct ReleaseId
{
    int value = 0;
};

struct ReleasePos
{
    // -1: not an active release.
    int value = -1;

    bool isValid() const { return value >= 0; }
};

inline bool operator==(ReleaseId a, ReleaseId b)
{
    return a.value == b.value;
}
inline bool operator!=(ReleaseId a, ReleaseId b)
{
    return a.value != b.value;
}
inline bool operator==(ReleasePos a, ReleasePos b)
{
    return a.value == b.value;
}
inline bool operator!=(ReleasePos a, ReleasePos b)
{
    return a.value != b.value;
}

} // namespace rivulet

#pragma once

namespace rivulet {

// How one model ties parameters together across releases: a code for the capture
// parameters and one for the survival-and-movement parameters. The pair is the key of a
// model throughout the program.
//   1  equated across all releases
//   2  equated across release years (releases sharing a release site share parameters)
//   3  equated across release sites (releases sharing a release year share parameters)
//   4  every release has its own parameters
struct EquatingScheme
{
    int captureCode = 0;
    int survivalCode = 0;

    static constexpr int AllReleases = 1;
    static constexpr int SameReleaseSite = 2;
    static constexpr int SameReleaseYear = 3;
    static constexpr int Unique = 4;
};

inline bool operator==(const EquatingScheme& a, const EquatingScheme& b)
{
    return a.captureCode == b.captureCode && a.survivalCode == b.survivalCode;
}

inline bool operator!=(const EquatingScheme& a, const EquatingScheme& b)
{
    return !(a == b);
}

inline bool operator<(const EquatingScheme& a, const EquatingScheme& b)
{
    return a.captureCode < b.captureCode ||
           (a.captureCode == b.captureCode && a.survivalCode < b.survivalCode);
}

} // namespace rivulet

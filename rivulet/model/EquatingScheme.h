#pragma once

namespace rivulet {

// How one model ties parameters together across releases: a code for the capture
// parameters and one for the survival-and-movement parameters. The pair is the key of a
// model throughout the program; report files and estimates.csv give the codes as numbers.
struct EquatingScheme
{
    enum Code : int
    {
        // Equated across all releases.
        AllReleases = 1,
        // Equated across release years: releases sharing a release site share parameters.
        SameReleaseSite = 2,
        // Equated across release sites: releases sharing a release year share parameters.
        SameReleaseYear = 3,
        // Every release has its own parameters.
        Unique = 4,
    };

    int captureCode = 0;
    int survivalCode = 0;
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

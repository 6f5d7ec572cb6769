#pragma once

#include "rivulet/filesource/CountsFileReleasesController.h"
#include "rivulet/filesource/CountsFileSitesController.h"
#include "rivulet/filesource/CountsFileYearsController.h"
#include "rivulet/filesource/NextDetectionsFromFile.h"

#include <QString>

#include <vector>

namespace rivulet::test {

// A counts-file data set: its controllers and counts read from next-detections text.
struct SimulatedData
{
    CountsFileReleasesController releases;
    CountsFileSitesController sites;
    CountsFileYearsController years;
    NextDetectionsFromFile counts{releases, sites, years};

    explicit SimulatedData(const QString& text);
};

// Next-detections text with random counts for releases at the given site and year
// positions: each count is 0 with probability emptyShare, otherwise 1 .. maxCount.
QString randomCounts(int siteCount, int yearCount, const std::vector<int>& relSites,
                     const std::vector<int>& relYears, unsigned seed, double emptyShare = 0.15,
                     int maxCount = 40);

// n values drawn uniformly from [low, high).
std::vector<double> uniformVector(int n, double low, double high, unsigned seed);

} // namespace rivulet::test

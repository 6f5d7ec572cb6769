#pragma once

#include "rivulet/filesource/MockReleasesController.h"
#include "rivulet/filesource/MockSitesController.h"
#include "rivulet/filesource/MockYearsController.h"
#include "rivulet/filesource/NextDetectionsFromFile.h"

#include <QString>

#include <vector>

namespace rivulet::test {

// A data set of the mock mode: mock controllers and counts read from next-detections text.
struct SimulatedData
{
    MockReleasesController releases;
    MockSitesController sites;
    MockYearsController years;
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

#include "rivulet/model/ParameterStructure.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"

#include <algorithm>
#include <utility>

namespace rivulet {

namespace {

bool inRange(int value, int count)
{
    return value >= 0 && value < count;
}

} // namespace

ParameterStructure::ParameterStructure(const ReleasesControllerI& releases,
                                       const SitesControllerI& sites, const YearsControllerI& years)
    : releases_(&releases), sites_(&sites), years_(&years), siteCount_(sites.count()),
      yearCount_(years.count())
{
    const auto ids = releases.ids();
    relSites_.reserve(static_cast<std::size_t>(ids.size()));
    relYears_.reserve(static_cast<std::size_t>(ids.size()));
    for (const int id : ids) {
        relSites_.push_back(sites.indexOf(releases.releaseSiteId(id)));
        relYears_.push_back(years.indexOf(releases.releaseYearId(id)));
    }
    dimension();
    number();
}

ParameterStructure::ParameterStructure(std::vector<int> releaseSites, std::vector<int> releaseYears,
                                       int siteCount, int yearCount)
    : relSites_(std::move(releaseSites)), relYears_(std::move(releaseYears)),
      siteCount_(std::max(siteCount, 0)), yearCount_(std::max(yearCount, 0))
{
    relYears_.resize(relSites_.size(), -1);
    dimension();
    number();
}

bool ParameterStructure::isModelled(int r) const
{
    return inRange(r, releaseCount()) && inRange(relSite(r), siteCount_ - 1) &&
           inRange(relYear(r), yearCount_);
}

void ParameterStructure::dimension()
{
    const int R = releaseCount();
    const int S = siteCount_;
    const int Y = yearCount_;
    lambdaBase_ = R * S * Y * Y;
    captureBase_ = lambdaBase_ + R * Y * Y;
    const auto cells = static_cast<std::size_t>(captureBase_ + R * S * Y);
    index_.assign(cells, NoParameter);
    fixed_.assign(cells, 0.0);
    entries_.clear();
    numFree_ = 0;
}

void ParameterStructure::addEntry(ParameterFamily family, int r, int s, int y1, int y2, int cell)
{
    index_[static_cast<std::size_t>(cell)] = static_cast<std::int32_t>(entries_.size());
    entries_.push_back({family, r, s, y1, y2, cell});
}

void ParameterStructure::number()
{
    const int R = releaseCount();
    const int S = siteCount_;
    const int Y = yearCount_;
    for (int r = 0; r < R; ++r) {
        if (!isModelled(r) || relSite(r) > S - 3) {
            continue;
        }
        const int first = relSite(r) + 1;
        for (int y2 = relYear(r); y2 < Y; ++y2) {
            addEntry(ParameterFamily::Phi, r, first, relYear(r), y2,
                     phiCell(r, first, relYear(r), y2));
        }
        for (int s = first + 1; s <= S - 2; ++s) {
            for (int y1 = relYear(r); y1 < Y; ++y1) {
                for (int y2 = y1; y2 < Y; ++y2) {
                    addEntry(ParameterFamily::Phi, r, s, y1, y2, phiCell(r, s, y1, y2));
                }
            }
        }
    }
    for (int r = 0; r < R; ++r) {
        if (!isModelled(r)) {
            continue;
        }
        const int lastY1 = relSite(r) == S - 2 ? relYear(r) : Y - 1;
        for (int y1 = relYear(r); y1 <= lastY1; ++y1) {
            for (int y2 = y1; y2 < Y; ++y2) {
                addEntry(ParameterFamily::Lambda, r, S - 1, y1, y2, lambdaCell(r, y1, y2));
            }
        }
    }
    for (int r = 0; r < R; ++r) {
        if (!isModelled(r)) {
            continue;
        }
        for (int s = relSite(r) + 1; s <= S - 2; ++s) {
            for (int y = relYear(r); y < Y; ++y) {
                addEntry(ParameterFamily::Capture, r, s, y, y, captureCell(r, s, y));
            }
        }
    }
    numFree_ = static_cast<std::int32_t>(entries_.size());
}

int ParameterStructure::phiCell(int r, int s, int y1, int y2) const
{
    const int S = siteCount_;
    const int Y = yearCount_;
    if (!inRange(r, releaseCount()) || !inRange(s, S) || !inRange(y1, Y) || !inRange(y2, Y)) {
        return -1;
    }
    return phiOffset(r, s, y1, y2);
}

int ParameterStructure::lambdaCell(int r, int y1, int y2) const
{
    const int Y = yearCount_;
    if (!inRange(r, releaseCount()) || !inRange(y1, Y) || !inRange(y2, Y)) {
        return -1;
    }
    return lambdaOffset(r, y1, y2);
}

int ParameterStructure::captureCell(int r, int s, int y) const
{
    if (!inRange(r, releaseCount()) || !inRange(s, siteCount_) || !inRange(y, yearCount_)) {
        return -1;
    }
    return captureOffset(r, s, y);
}

std::int32_t ParameterStructure::indexOfCell(int cell) const
{
    return cell < 0 ? NoParameter : index_[static_cast<std::size_t>(cell)];
}

double ParameterStructure::fixedValueOfCell(int cell) const
{
    return cell < 0 ? 0.0 : fixed_[static_cast<std::size_t>(cell)];
}

std::int32_t ParameterStructure::phiIndex(int r, int s, int y1, int y2) const
{
    return indexOfCell(phiCell(r, s, y1, y2));
}

std::int32_t ParameterStructure::lambdaIndex(int r, int y1, int y2) const
{
    return indexOfCell(lambdaCell(r, y1, y2));
}

std::int32_t ParameterStructure::captureIndex(int r, int s, int y) const
{
    return indexOfCell(captureCell(r, s, y));
}

double ParameterStructure::phiFixed(int r, int s, int y1, int y2) const
{
    return fixedValueOfCell(phiCell(r, s, y1, y2));
}

double ParameterStructure::lambdaFixed(int r, int y1, int y2) const
{
    return fixedValueOfCell(lambdaCell(r, y1, y2));
}

double ParameterStructure::captureFixed(int r, int s, int y) const
{
    return fixedValueOfCell(captureCell(r, s, y));
}

std::int32_t ParameterStructure::entryIndex(int k) const
{
    return index_[static_cast<std::size_t>(entries_[static_cast<std::size_t>(k)].cell)];
}

double ParameterStructure::entryFixedValue(int k) const
{
    return fixed_[static_cast<std::size_t>(entries_[static_cast<std::size_t>(k)].cell)];
}

void ParameterStructure::fix(std::int32_t i, double value)
{
    // An unused position would make numFree disagree with the positions in use.
    if (i < 0 || i >= numFree_) {
        return;
    }
    for (const ParameterEntry& entry : entries_) {
        std::int32_t& index = index_[static_cast<std::size_t>(entry.cell)];
        if (index == i) {
            index = Fixed;
            fixed_[static_cast<std::size_t>(entry.cell)] = value;
        } else if (index > i) {
            --index;
        }
    }
    --numFree_;
}

void ParameterStructure::equate(std::int32_t a, std::int32_t b)
{
    if (a < 0 || b < 0 || a == b || a >= numFree_ || b >= numFree_) {
        return;
    }
    const std::int32_t lo = std::min(a, b);
    const std::int32_t hi = std::max(a, b);
    for (const ParameterEntry& entry : entries_) {
        std::int32_t& index = index_[static_cast<std::size_t>(entry.cell)];
        if (index == hi) {
            index = lo;
        } else if (index > hi) {
            --index;
        }
    }
    --numFree_;
}

int ParameterStructure::residualizationSite() const
{
    int site = 1;
    bool found = false;
    for (const ParameterEntry& entry : entries_) {
        if (entry.year1 == entry.year2 || index_[static_cast<std::size_t>(entry.cell)] < 0) {
            continue;
        }
        if (entry.family == ParameterFamily::Lambda) {
            return siteCount_ - 1;
        }
        if (entry.family == ParameterFamily::Phi) {
            site = found ? std::max(site, entry.site) : entry.site;
            found = true;
        }
    }
    return site;
}

} // namespace rivulet

#include "rivulet/gof/NextDetectionCohorts.h"

#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"

namespace rivulet::gof {

std::vector<CohortArray> cohortsByMigrationYear(const NextDetectionsI& counts)
{
    const ReleasesControllerI& releases = counts.releasesController();
    const int sites = counts.sitesController().count();
    const int years = counts.yearsController().count();
    std::vector<CohortArray> arrays(static_cast<std::size_t>(years), CohortArray(sites));
    for (const int id : releases.ids()) {
        const ReleaseId release{id};
        const int site = counts.sitesController().indexOf(releases.releaseSiteId(id));
        const int year = counts.yearsController().indexOf(releases.releaseYearId(id));
        if (site < 0 || year < 0)
            continue;
        CohortArray& array = arrays[static_cast<std::size_t>(year)];
        // Only detections in the release's own year count as next detections: the later
        // years' columns of the matrices are the hold-overs, left out.
        const CountMatrix& first = counts.releaseNextCounts(release);
        for (int s = site + 1; s < sites; ++s)
            array.add(site, site, s, first.count(s, year));
        array.add(site, site, -1, counts.releaseNotSeen(release));
        for (int a = site + 1; a < sites - 1; ++a) {
            const CountMatrix& next = counts.nextCounts(release, a, year);
            for (int s = a + 1; s < sites; ++s)
                array.add(site, a, s, next.count(s, year));
            array.add(site, a, -1, counts.notSeenAgain(release, a, year));
        }
    }
    return arrays;
}

ComponentSummary studyComponentTests(const NextDetectionsI& counts)
{
    std::vector<ComponentTable> tables;
    const std::vector<CohortArray> arrays = cohortsByMigrationYear(counts);
    for (std::size_t year = 0; year < arrays.size(); ++year) {
        std::vector<ComponentTable> part = componentTables(arrays[year], static_cast<int>(year));
        tables.insert(tables.end(), part.begin(), part.end());
    }
    return summarize(std::move(tables));
}

} // namespace rivulet::gof

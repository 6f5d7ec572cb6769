#include "rivulet/data/NextDetectionsFromFile.h"

#include "rivulet/data/CountsTokenizer.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"

#include <limits>

namespace rivulet {

namespace {

constexpr int MaxCount = std::numeric_limits<int>::max();

} // namespace

void NextDetectionsFromFile::read(CountsTokenizer& tokens)
{
    tables_.reset(sites_.count(), years_.count());
    try {
        const QList<int> ids = releases_.ids();
        for (const int release : ids)
            readRelease(tokens, release);
    } catch (...) {
        tables_.reset(sites_.count(), years_.count());
        throw;
    }
}

void NextDetectionsFromFile::readRelease(CountsTokenizer& tokens, int release)
{
    const int S = sites_.count();
    const int Y = years_.count();
    const int relSite = releaseSitePos(release);
    const int relYear = releaseYearPos(release);

    auto& counts = tables_.release(release);
    counts.notSeen = tokens.nextInt(0, MaxCount);
    readMatrix(tokens, counts.next, relSite + 1, relYear);
    for (int a = relSite + 1; a <= S - 2; ++a) {
        for (int b = relYear; b <= Y - 1; ++b) {
            auto& group = tables_.group(release, a, b);
            group.notSeenAgain = tokens.nextInt(0, MaxCount);
            readMatrix(tokens, group.next, a + 1, b);
        }
    }
}

// Elements for sites firstSite .. S-1 (outer) and years firstYear .. Y-1 (inner).
void NextDetectionsFromFile::readMatrix(CountsTokenizer& tokens, CountMatrix& matrix, int firstSite,
                                        int firstYear)
{
    const int S = sites_.count();
    const int Y = years_.count();
    for (int s = firstSite; s <= S - 1; ++s)
        for (int y = firstYear; y <= Y - 1; ++y)
            matrix.setCount(s, y, tokens.nextInt(0, MaxCount));
}

} // namespace rivulet

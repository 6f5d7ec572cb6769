#include "rivulet/filesource/NextDetectionsFromFile.h"

#include "lum/core/ParseError.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/filesource/CountsTokenizer.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace rivulet {

namespace {

constexpr int MaxCount = std::numeric_limits<int>::max();

} // namespace

void NextDetectionsFromFile::read(CountsTokenizer& tokens)
{
    m_tables.reset(m_sites.count(), m_years.count());
    m_total = 0;
    try {
        const QList<int> ids = m_releases.ids();
        for (const int release : ids)
            readRelease(tokens, release);
        for (const int release : ids)
            deriveDetections(release);
    } catch (...) {
        m_tables.reset(m_sites.count(), m_years.count());
        throw;
    }
}

void NextDetectionsFromFile::readRelease(CountsTokenizer& tokens, int release)
{
    const int S = m_sites.count();
    const int Y = m_years.count();
    const int relSite = releaseSitePos(release);
    const int relYear = releaseYearPos(release);

    auto& counts = m_tables.release(release);
    counts.notSeen = readCount(tokens);
    readMatrix(tokens, counts.next, relSite + 1, relYear);
    for (int a = relSite + 1; a <= S - 2; ++a) {
        for (int b = relYear; b <= Y - 1; ++b) {
            auto& group = m_tables.group(release, a, b);
            group.notSeenAgain = readCount(tokens);
            readMatrix(tokens, group.next, a + 1, b);
        }
    }
}

// Every detection of a fish of the release is either its first or some fish's next
// detection, so the detections at each point are the sum of the release's first detections and
// every group's next detections there. The fish detected at a point that are neither next seen
// nor counted as never seen again are those whose history ended there; at the final site every
// detection ends a history. Which of the removed fish were first detected at a point is not in
// the file, except at the final site.
void NextDetectionsFromFile::deriveDetections(int release)
{
    const int S = m_sites.count();
    const int Y = m_years.count();
    const int relSite = releaseSitePos(release);
    const int relYear = releaseYearPos(release);
    auto& counts = m_tables.release(release);
    counts.detections = counts.next;
    for (int a = relSite + 1; a <= S - 2; ++a)
        for (int b = relYear; b <= Y - 1; ++b)
            if (const auto* group = m_tables.findGroup(release, a, b))
                counts.detections.addMatrix(group->next);
    counts.detectionRemovals = CountMatrix::forSitesAndYears(S, Y);
    counts.removed = CountMatrix::forSitesAndYears(S, Y);
    for (int y = relYear; y <= Y - 1; ++y) {
        for (int s = relSite + 1; s <= S - 2; ++s) {
            const auto* group = m_tables.findGroup(release, s, y);
            const std::int64_t wentOn = group ? group->next.sum() + group->notSeenAgain : 0;
            const std::int64_t removed = counts.detections.count(s, y) - wentOn;
            counts.detectionRemovals.setCount(s, y,
                                              static_cast<std::int32_t>(std::max<std::int64_t>(
                                                  0, std::min<std::int64_t>(removed, MaxCount))));
        }
        counts.detectionRemovals.setCount(S - 1, y, counts.detections.count(S - 1, y));
        counts.removed.setCount(S - 1, y, counts.next.count(S - 1, y));
    }
    for (auto* pooled : {&m_tables.releaseYear(relYear), &m_tables.releaseSite(relSite)}) {
        pooled->detections.addMatrix(counts.next);
        pooled->removals.addMatrix(counts.removed);
    }
    m_tables.total().addMatrix(counts.detections);
    m_tables.totalRemoved().addMatrix(counts.detectionRemovals);
}

// Elements for sites firstSite .. S-1 (outer) and years firstYear .. Y-1 (inner).
void NextDetectionsFromFile::readMatrix(CountsTokenizer& tokens, CountMatrix& matrix, int firstSite,
                                        int firstYear)
{
    const int S = m_sites.count();
    const int Y = m_years.count();
    for (int s = firstSite; s <= S - 1; ++s)
        for (int y = firstYear; y <= Y - 1; ++y)
            matrix.setCount(s, y, readCount(tokens));
}

// Every pooled count and total is a sum of some of the file's counts, each taken once: when
// all of them together fit, so does every sum.
int NextDetectionsFromFile::readCount(CountsTokenizer& tokens)
{
    const int count = tokens.nextInt(0, MaxCount);
    m_total += count;
    if (m_total > MaxCount)
        throw lum::ParseError(
            QStringLiteral("the counts add up to more than %1 fish").arg(MaxCount), tokens.line(),
            tokens.column(), QString::number(count));
    return count;
}

} // namespace rivulet

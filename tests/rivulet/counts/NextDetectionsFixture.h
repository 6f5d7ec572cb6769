#pragma once

#include "rivulet/counts/NextDetections.h"
#include "rivulet/data/DetectionSequenceControllerI.h"
#include "rivulet/filesource/CountsFileReleasesController.h"
#include "rivulet/filesource/CountsFileSitesController.h"
#include "rivulet/filesource/CountsFileYearsController.h"

#include <QHash>

#include <random>
#include <vector>

namespace rivulet::test {

// One entry of a hand-made detection history.
struct Seen
{
    int site = 0;
    int year = 0;
    int disposition = 1;
};

// Detection histories written by hand, in the shape the detection-sequence controller
// delivers them.
class FakeSequences : public DetectionSequenceControllerI
{
public:
    // A tag with these detections; no detection gives the (0, 0, 0) entry of a tag never seen.
    void addTag(int release, const QString& tag, const std::vector<Seen>& seen)
    {
        Lists& lists = m_lists[release];
        if (seen.empty()) {
            append(lists, tag, Seen{0, 0, 0});
            return;
        }
        for (const Seen& s : seen)
            append(lists, tag, s);
    }

    QStringList tagIds(int release) const override { return m_lists.value(release).tags; }
    QList<int> sites(int release) const override { return m_lists.value(release).sites; }
    QList<int> years(int release) const override { return m_lists.value(release).years; }
    QList<int> dispositions(int release) const override
    {
        return m_lists.value(release).dispositions;
    }

private:
    struct Lists
    {
        QStringList tags;
        QList<int> sites;
        QList<int> years;
        QList<int> dispositions;
    };
    static void append(Lists& lists, const QString& tag, const Seen& s)
    {
        lists.tags << tag;
        lists.sites << s.site;
        lists.years << s.year;
        lists.dispositions << s.disposition;
    }

    QHash<int, Lists> m_lists;
};

// Controllers, histories and counts of a small data set: S sites (0 upstream, S-1 the
// final site) and Y years starting in 2008.
class HistoryData
{
public:
    HistoryData(int siteCount, int yearCount)
    {
        QStringList names;
        for (int s = 0; s < siteCount; ++s)
            names << QStringLiteral("S%1").arg(s);
        sites.setSites(names);
        QList<int> calendar;
        for (int y = 0; y < yearCount; ++y)
            calendar << 2008 + y;
        years.setYears(calendar);
    }

    int addRelease(int sitePos, int yearPos)
    {
        return releases.addRelease(sitePos, sites.shortNames().at(sitePos), yearPos,
                                   years.years().at(yearPos));
    }

    // n tags of the release with the same history; the last detection at the final site
    // ends the history as the detection-sequence controller makes it.
    void addTags(int release, int n, std::vector<Seen> seen)
    {
        for (Seen& s : seen)
            if (s.site >= sites.count() - 1)
                s.disposition = 2;
        for (int i = 0; i < n; ++i)
            sequences.addTag(release, QStringLiteral("T%1").arg(m_nextTag++), seen);
    }

    NextDetections& update()
    {
        counts.update();
        return counts;
    }

    CountsFileSitesController sites;
    CountsFileYearsController years;
    CountsFileReleasesController releases;
    FakeSequences sequences;
    NextDetections counts{releases, sites, years, sequences};

private:
    int m_nextTag = 0;
};

// A random history as the detection-sequence controller builds it: sites down-river, years
// never going back, at most one ending detection, the last one, and the final site ends it.
// One in five tags is never detected (an empty history).
inline std::vector<Seen> randomHistory(std::mt19937& rng, int S, int Y, int relSite, int relYear)
{
    const auto pick = [&rng](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    std::vector<Seen> h;
    if (pick(0, 4) == 0)
        return h;
    int site = relSite;
    int year = relYear;
    for (;;) {
        const bool sameSite = !h.empty() && year < Y - 1 && pick(0, 5) == 0;
        if (!sameSite)
            site = pick(site + 1, S - 1);
        year = pick(sameSite ? year + 1 : year, Y - 1);
        const bool ends = site == S - 1 || pick(0, 6) == 0;
        h.push_back(Seen{site, year, ends ? 2 : 1});
        if (ends || pick(0, 3) == 0)
            break;
    }
    return h;
}

} // namespace rivulet::test

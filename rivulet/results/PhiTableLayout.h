#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace rivulet {

// The shape of one release's survival-and-movement table, shared by the rich-text report and
// its CSV form. Reach j runs from site s0+j to site s0+j+1 (s0 the release site) and is
// shown for the reaches that end before the last site; its upstream end is called "Rel" at
// the first site of the list. The rows are the pairs of upstream and downstream years from
// the release year on. The first reach leaves the release site in the release year only, so
// it has a value in the rows of that upstream year alone.
class PhiTableLayout
{
public:
    struct YearPair
    {
        int upstream = 0;
        int downstream = 0;
    };

    PhiTableLayout(const QStringList& siteNames, int yearCount, int releaseSite, int releaseYear);

    int reachCount() const { return m_reachCount; }
    // The site at which reach j ends.
    int reachSite(int j) const { return m_releaseSite + j + 1; }
    QString upstreamName(int j) const;
    QString downstreamName(int j) const;
    // "<upstream>-<downstream>".
    QString reachLabel(int j) const;

    const std::vector<YearPair>& yearPairs() const { return m_yearPairs; }
    bool hasValue(int j, const YearPair& pair) const
    {
        return j > 0 || pair.upstream == m_releaseYear;
    }

private:
    QStringList m_siteNames;
    int m_releaseSite = 0;
    int m_releaseYear = 0;
    int m_reachCount = 0;
    std::vector<YearPair> m_yearPairs;
};

} // namespace rivulet

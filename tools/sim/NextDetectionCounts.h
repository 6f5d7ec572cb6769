#pragma once

#include "lum/core/Expected.h"
#include "tools/sim/SimRelease.h"

#include <QString>
#include <QVector>

class QTextStream;

namespace rivulet::sim {

class PositionMap;

// The next-detection counts implied by the simulated histories, gathered fish
// by fish while the export is written, on the layout's sites and years. They
// are the counts the program derives from the exported rows, and are written
// in its counts-file format.
class NextDetectionCounts
{
public:
    // A detection of a fish's history: one per site passed, in down-river
    // order; `ends` when the detection ended the history (the fish was taken
    // out, or it is the final site).
    struct Entry
    {
        int site = 0;
        int year = 0;
        bool ends = false;
    };

    // Only sites from `firstDetectionSite` on can be detection sites; the
    // tables leave the release sites above it out.
    NextDetectionCounts(int releases, int sites, int firstDetectionSite, int years);

    // One fish of a release; an empty history is a fish never detected.
    void addFish(int release, const Entry* entries, int count);

    int notSeen(int r) const { return m_notSeen.at(r); }
    int first(int r, int s, int y) const;
    int next(int r, int a, int b, int s, int y) const;
    int notSeenAgain(int r, int a, int b) const;

    // Writes the counts file; fails (with the reason) when the final site of
    // the layout never appears in the data, as the program would then end
    // every history at another site.
    lum::Expected<void> write(QTextStream& out, const QVector<SimRelease>& releases,
                              const PositionMap& positions) const;

private:
    // Site arguments are layout positions; the tables start at the first detection site.
    int firstIndex(int r, int s, int y) const
    {
        return (r * m_years + y) * m_detectionSites + s - m_offset;
    }
    int groupIndex(int r, int a, int b) const
    {
        return (r * m_detectionSites + a - m_offset) * m_years + b;
    }
    int nextIndex(int r, int a, int b, int s, int y) const
    {
        return (groupIndex(r, a, b) * m_years + y) * m_detectionSites + s - m_offset;
    }

    int m_releases = 0;
    int m_sites = 0;
    int m_offset = 0;
    int m_detectionSites = 0;
    int m_years = 0;
    QVector<int> m_notSeen;
    QVector<int> m_first;
    QVector<int> m_next;
    QVector<int> m_notSeenAgain;
};

} // namespace rivulet::sim

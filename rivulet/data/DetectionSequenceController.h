#pragma once

#include "rivulet/data/DetectionSequence.h"
#include "rivulet/data/DetectionSequenceControllerI.h"
#include "rivulet/data/RivuletDb.h"

#include <QHash>
#include <QString>

#include <vector>

namespace rivulet {

class ReleasesControllerI;
class SitesControllerI;

// The detection histories of the tags of every active release, read from the database and
// reduced to the active sites and years (see DetectionSequenceWalker for the rules).
//
//     DetectionSequenceController sequences(releases, sites);
//     releases.refresh();
//     sites.refresh();
//     years.refresh();
//     sequences.update();
//     for (int id : releases.ids())
//         use(sequences.tagIds(id), sequences.sites(id), sequences.years(id),
//             sequences.dispositions(id));
//
// When the analysis is restricted to one cohort, only that cohort's tags take part.
//
// The histories of all releases are read in one pass (DetectionHistoryReader), ordered by tag
// and, within a tag, by the sites' and years' down-river and chronological order; each tag
// goes to its release. The per-release lists are the same as a read per release would give,
// but the observations table is walked once instead of once per release.
class DetectionSequenceController : public DetectionSequenceControllerI
{
public:
    // The controllers (borrowed) give the releases and the number of active sites; refresh
    // them before update().
    DetectionSequenceController(const ReleasesControllerI& releases, const SitesControllerI& sites,
                                RivuletDb& rdb = RivuletDb::instance());
    ~DetectionSequenceController() override;
    DetectionSequenceController(const DetectionSequenceController&) = delete;
    DetectionSequenceController& operator=(const DetectionSequenceController&) = delete;

    // Recomputes the histories of every active release. After a failed read every release has
    // an empty history, so no reader sees a part of the data.
    lum::Expected<void> update();

    // An empty list for a release that was not active at the last update().
    QStringList tagIds(int releaseId) const override;
    QList<int> sites(int releaseId) const override;
    QList<int> years(int releaseId) const override;
    QList<int> dispositions(int releaseId) const override;

    // The number of entries of every release together.
    int entryCount() const;

private:
    const DetectionSequence* sequenceOf(int releaseId) const;
    lum::Expected<void> readRows(int cohortId);

    const ReleasesControllerI& m_releases;
    const SitesControllerI& m_sites;
    RivuletDb& m_rdb;
    // One sequence per active release, in the releases controller's order.
    std::vector<DetectionSequence> m_sequences;
    QHash<int, int> m_positions; // release id -> index in m_sequences
};

} // namespace rivulet

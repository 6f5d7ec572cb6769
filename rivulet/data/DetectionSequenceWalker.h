#pragma once

#include <QString>

namespace rivulet {

struct DetectionSequence;

// Turns the rows of the history statement into history entries. The rows of one tag arrive
// together, in down-river order of their sites and, within a site, in year order; a tag
// without any detection at an active site in an active year arrives as one row without a
// detection.
//
// - A detection at the last active site, or at a site merged into it, stands for everything
//   downstream: it ends the history there.
// - After the detection that ends a history, the tag's later rows are skipped.
// - Several detections of one tag at the same site in the same year (several antennas or
//   codes of one site) are one passage: they make one entry, which ends the history when any
//   of them does. Otherwise the passage would count as a detection followed by a "next"
//   detection at the same place.
// - A tag without a detection gives one entry (site 0, year 0, disposition 0), whatever the
//   number of active sites: it was never seen, so it cannot have been seen at the last site.
//
//     DetectionSequenceWalker walk(sites.count() - 1);
//     for (each row)
//         walk.addRow(tag, detected, site, year, disposition, sequenceOf(release));
class DetectionSequenceWalker
{
public:
    // `lastSite`: position of the last active site.
    explicit DetectionSequenceWalker(int lastSite) : m_lastSite(lastSite) {}

    // Adds what the row says about `tag` to `into` (the sequence of the tag's release).
    void addRow(const QString& tag, bool detected, int site, int year, int disposition,
                DetectionSequence& into);

private:
    void startTag(const QString& tag);

    int m_lastSite = 0;
    QString m_tag;
    bool m_hasTag = false;
    // The tag's history has ended: its later rows are skipped.
    bool m_ended = false;
    // Site and year of the tag's last entry; -1 before its first.
    int m_entrySite = -1;
    int m_entryYear = -1;
};

} // namespace rivulet

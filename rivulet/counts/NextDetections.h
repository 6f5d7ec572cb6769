#pragma once

#include "rivulet/counts/TabulatedNextDetections.h"

#include <QList>
#include <QStringList>

#include <vector>

namespace rivulet {

class DetectionSequenceControllerI;

// Next-detection counts computed from the detection histories of every tag. Every table is
// empty until update() runs; update() replaces them all. Each release is processed in one
// pass over its history rows plus one pass over its tag histories.
class NextDetections : public TabulatedNextDetections
{
public:
    NextDetections(const ReleasesControllerI& releases, const SitesControllerI& sites,
                   const YearsControllerI& years, const DetectionSequenceControllerI& sequences);

    void update() override;

private:
    // What one tag's rows say, gathered while its rows are linked.
    struct TagHistory
    {
        int firstSite = -1;
        int firstYear = -1;
        // Site of the detection that ended the history, or -1.
        int removedSite = -1;
        bool detected = false;
    };
    // The release's history rows, read once from the sequences controller.
    struct Rows
    {
        QStringList tags;
        QList<int> sites;
        QList<int> years;
        QList<int> dispositions;
    };

    void countRelease(int release);
    void linkRows(const Rows& rows);
    void countFirstDetections(int release, int relSite, int relYear);
    void countNextDetections(int release, const Rows& rows);

    const DetectionSequenceControllerI& m_sequences;
    // Scratch of the release being processed, kept to reuse its storage.
    std::vector<int> m_nextRow;
    std::vector<int> m_rowHistory;
    std::vector<TagHistory> m_histories;
};

} // namespace rivulet

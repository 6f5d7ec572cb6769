#pragma once

#include <QString>

namespace rivulet::sim {

// What a simulator run wrote.
struct StudySummary
{
    int releases = 0;
    qint64 fish = 0;
    qint64 rows = 0;          // rows of the export, comments left out
    qint64 detectionRows = 0; // of which antenna hits
    qint64 neverDetected = 0;
    qint64 removed = 0;
    qint64 observationBytes = 0;
    int sites = 0; // sites and years of the analysis when all are active
    int years = 0;
};

} // namespace rivulet::sim

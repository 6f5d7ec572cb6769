#pragma once

namespace rivulet {

// What one observation load read and stored.
struct ObsLoadSummary
{
    int lines = 0;             // physical lines of the file
    int rows = 0;              // lines holding a record
    int ignoredRows = 0;       // rows with the filter "A"
    int tags = 0;              // tags stored
    int detections = 0;        // detections stored
    int droppedDetections = 0; // detections not downstream of the release site
    int releases = 0;
    int sites = 0; // release and detection sites
    int years = 0;
};

} // namespace rivulet

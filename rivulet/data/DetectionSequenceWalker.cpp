#include "rivulet/data/DetectionSequenceWalker.h"

#include "rivulet/data/DetectionSequence.h"

#include <algorithm>

namespace rivulet {

void DetectionSequenceWalker::addRow(const QString& tag, bool detected, int site, int year,
                                     int disposition, DetectionSequence& into)
{
    if (!hasTag_ || tag != tag_)
        startTag(tag);
    else if (ended_)
        return;

    if (!detected) {
        // An undetected tag reads as site 0; when site 0 is also the last active site it
        // stands for everything downstream, like every other entry there.
        into.append(tag_, 0, 0,
                    lastSite_ <= 0 ? Disposition::EndsHistory : Disposition::NoDetection);
        ended_ = lastSite_ <= 0;
        return;
    }
    // Only an ending detection ends a history; any other stored value means the fish went on.
    const bool ends = disposition == dispositionCode(Disposition::EndsHistory) || site >= lastSite_;
    site = std::min(site, lastSite_);
    if (site == entrySite_ && year == entryYear_) {
        // Another detection of the same passage.
        if (ends) {
            into.dispositions.last() = dispositionCode(Disposition::EndsHistory);
            ended_ = true;
        }
        return;
    }
    into.append(tag_, site, year, ends ? Disposition::EndsHistory : Disposition::GoesOn);
    entrySite_ = site;
    entryYear_ = year;
    ended_ = ends;
}

void DetectionSequenceWalker::startTag(const QString& tag)
{
    tag_ = tag;
    hasTag_ = true;
    ended_ = false;
    entrySite_ = -1;
    entryYear_ = -1;
}

} // namespace rivulet

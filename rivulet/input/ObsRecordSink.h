#pragma once

#include "lum/core/Expected.h"

#include <string_view>

namespace rivulet {

struct SiteRecord;

// Where the rows of an export go once read and checked: each tag with its release, then that
// tag's detections. The study's writer stores them; a reader on its own needs nothing more.
// Texts are UTF-8 views valid for the call only. A failure to store says why in the words of
// whatever stores (the database's reason); the reader adds where in the file it was.
class ObsRecordSink
{
public:
    enum TagResult
    {
        TagStored,
        TagDuplicate // a code already added by this load
    };

    virtual ~ObsRecordSink() = default;

    virtual lum::Expected<TagResult> addTag(std::string_view code, const SiteRecord& releaseSite,
                                            int releaseYear, std::string_view releaseTime) = 0;
    // A detection of the tag added last, in the calendar year of `obsTime`.
    virtual lum::Expected<void> addDetection(std::string_view tagCode, const SiteRecord& site,
                                             int year, std::string_view obsTime,
                                             int disposition) = 0;
};

} // namespace rivulet

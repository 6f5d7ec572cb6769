#pragma once

#include <QString>

#include <string_view>

namespace rivulet {

struct SiteRecord;

// Where the rows of an export go once read and checked: each tag with its release, then that
// tag's detections. The study's writer stores them; a reader on its own needs nothing more.
// Texts are UTF-8 views valid for the call only.
class ObsRecordSink
{
public:
    enum TagResult
    {
        TagStored,
        TagDuplicate, // a code already added by this load
        TagFailed     // see lastError()
    };

    virtual ~ObsRecordSink() = default;

    virtual TagResult addTag(std::string_view code, const SiteRecord& releaseSite, int releaseYear,
                             std::string_view releaseTime) = 0;
    // A detection of the tag added last, in the calendar year of `obsTime`. False: see
    // lastError().
    virtual bool addDetection(std::string_view tagCode, const SiteRecord& site, int year,
                              std::string_view obsTime, int disposition) = 0;
    virtual QString lastError() const = 0;
};

} // namespace rivulet

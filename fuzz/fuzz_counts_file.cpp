// The next-detections counts file as a counts-file study reads it, then its release summary: a file
// is either refused with a ParseError or read whole and summarised.
#include "lum/core/ParseError.h"
#include "rivulet/filesource/CountsFileReleasesController.h"
#include "rivulet/filesource/CountsFileSitesController.h"
#include "rivulet/filesource/CountsFileYearsController.h"
#include "rivulet/filesource/NextDetectionsFromFile.h"
#include "rivulet/filesource/SimulatedDataLoader.h"
#include "rivulet/summary/ReleaseSummary.h"

#include <QTextStream>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    QTextStream in(bytes);
    rivulet::CountsFileReleasesController releases;
    rivulet::CountsFileSitesController sites;
    rivulet::CountsFileYearsController years;
    rivulet::NextDetectionsFromFile counts(releases, sites, years);
    rivulet::SimulatedDataLoader loader(releases, sites, years, counts);
    try {
        loader.load(in);
    } catch (const lum::ParseError&) {
        return 0;
    }
    // Every count the file can hold must also fit the sums of the release summary.
    rivulet::ReleaseSummary summary(releases, sites, years, counts);
    summary.update();
    return 0;
}

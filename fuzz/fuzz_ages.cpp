// The age file's reader on arbitrary bytes, with no database: no file may end the program, and
// every line it accepts names a tag and a cohort within the plausible brood years.
#include "FuzzEnvironment.h"

#include "rivulet/input/AgeLine.h"
#include "rivulet/input/DataFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    rivulet::fuzz::FuzzEnvironment::instance();
    rivulet::DataFileReader file(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)));
    if (!file.open() || file.survey() == rivulet::DataFileReader::Binary)
        return 0;
    QString text;
    while (file.readLine(text)) {
        const rivulet::AgeLine line = rivulet::AgeLine::parse(text);
        if (line.kind == rivulet::AgeLine::Cohort &&
            (line.tagCode.isEmpty() || line.cohort < rivulet::AgeLine::firstCohort ||
             line.cohort > rivulet::AgeLine::lastCohort))
            __builtin_trap();
    }
    return 0;
}

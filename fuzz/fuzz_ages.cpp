// The age data loader on arbitrary files, over a study of a few tags: no file may end the
// program, and a file it accepts stores no cohort outside the plausible brood years.
#include "FuzzStudy.h"

#include "lum/db/TableData.h"
#include "rivulet/input/AgeDataLoader.h"
#include "rivulet/input/AgeLine.h"

namespace {

rivulet::fuzz::FuzzStudy& studyWithTags()
{
    auto& study = rivulet::fuzz::FuzzStudy::instance();
    for (const char* tag : {"3D9.1CB0E9061F", "3D9.1C64C9775D", "T1"})
        study.db().database()->exec(
            QStringLiteral("insert into tags values (?, 1, -1, '2008-04-01 10:00:00')"),
            {QString::fromLatin1(tag)});
    return study;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static rivulet::fuzz::FuzzStudy& study = studyWithTags();
    rivulet::AgeDataLoader loader(study.writeInput(data, size), &study.db());
    loader.process();
    if (loader.loaded()) {
        const lum::TableData outside(
            *study.db().database(),
            QStringLiteral("select count(*) from cohorts where cohort < ? or cohort > ?"),
            {rivulet::AgeLine::firstCohort, rivulet::AgeLine::lastCohort});
        if (outside.intValue(0, 0) != 0)
            __builtin_trap();
    }
    return 0;
}

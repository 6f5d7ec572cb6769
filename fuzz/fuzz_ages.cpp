// The age data loader on arbitrary files, over a study of a few tags.
#include "FuzzStudy.h"

#include "rivulet/input/AgeDataLoader.h"

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
    return 0;
}

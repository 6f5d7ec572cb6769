#include "rivulet/study/SaveNextDetectionsJob.h"

#include "lum/db/FileReplacer.h"
#include "rivulet/counts/NextDetectionsI.h"

#include <QTextStream>

#include <utility>

namespace rivulet {

SaveNextDetectionsJob::SaveNextDetectionsJob(const NextDetectionsI& counts, QString path,
                                             lum::ThreadRunner* runner)
    : lum::ThreadRunnable(runner), counts_(counts), path_(std::move(path))
{
}

void SaveNextDetectionsJob::run()
{
    clearError();
    text_.clear();
    {
        QTextStream out(&text_);
        counts_.write(out);
    }
    if (path_.isEmpty())
        return;
    lum::FileReplacer file(path_);
    if (!file.replace(text_))
        fail(lum::JobError::File, file.errorString());
}

} // namespace rivulet

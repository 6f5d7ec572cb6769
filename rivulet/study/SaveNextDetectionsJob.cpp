#include "rivulet/study/SaveNextDetectionsJob.h"

#include "lum/core/FileReplacer.h"
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
    if (const lum::Expected<void> saved = lum::FileReplacer(path_).replace(text_); !saved)
        fail(saved.error());
}

} // namespace rivulet

#include "rivulet/study/SaveNextDetectionsJob.h"

#include "rivulet/counts/NextDetectionsI.h"

#include <QSaveFile>
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
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(text_) != text_.size() || !file.commit()) {
        fail(lum::JobError::File, QStringLiteral("Unable to open file \"%1\" for writing: %2")
                                      .arg(path_, file.errorString()));
    }
}

} // namespace rivulet

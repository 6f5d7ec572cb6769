#include "rivulet/study/SaveNextDetectionsJob.h"

#include "lum/core/FileReplacer.h"
#include "rivulet/counts/NextDetectionsI.h"

#include <QTextStream>

#include <utility>

namespace rivulet {

SaveNextDetectionsJob::SaveNextDetectionsJob(const NextDetectionsI& counts, QString path,
                                             lum::ThreadRunner* runner)
    : lum::ThreadRunnable(runner), m_counts(counts), m_path(std::move(path))
{
}

void SaveNextDetectionsJob::run()
{
    clearError();
    m_text.clear();
    {
        QTextStream out(&m_text);
        m_counts.write(out);
    }
    if (m_path.isEmpty())
        return;
    if (const lum::Expected<void> saved = lum::FileReplacer(m_path).replace(m_text); !saved)
        fail(saved.error());
}

} // namespace rivulet

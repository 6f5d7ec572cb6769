#pragma once

#include "lum/thread/ThreadRunnable.h"

#include <QByteArray>
#include <QString>

namespace rivulet {

class NextDetectionsI;

// "Save Next Detections": writes the next-detection counts in the counts-file format (what a
// counts-file study reads back). The file is replaced only once everything is written; one
// that cannot be written fails the job (JobError::File). Without a path the text is kept for
// the caller (text()).
class SaveNextDetectionsJob : public lum::ThreadRunnable
{
    Q_OBJECT

public:
    // `counts` is borrowed for the run.
    SaveNextDetectionsJob(const NextDetectionsI& counts, QString path,
                          lum::ThreadRunner* runner = nullptr);

    void run() override;
    const QByteArray& text() const { return m_text; }

private:
    const NextDetectionsI& m_counts;
    QString m_path;
    QByteArray m_text;
};

} // namespace rivulet

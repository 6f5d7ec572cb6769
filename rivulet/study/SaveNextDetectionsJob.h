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
    const QByteArray& text() const { return text_; }

private:
    const NextDetectionsI& counts_;
    QString path_;
    QByteArray text_;
};

} // namespace rivulet

#pragma once

#include "lum/thread/ThreadRunnable.h"

#include <QStringList>

namespace rivulet::test {

// A job without a runner that keeps what it was asked to report, so tests
// can check the messages a job would send to the output dock.
class RecordingJob : public lum::ThreadRunnable
{
public:
    void run() override {}
    void status(const QString& text) override { statuses << text; }
    void warning(const QString& text) override { warnings << text; }
    void setErrorMessage(const QString& text) override { errors << text; }

    QStringList statuses;
    QStringList warnings;
    QStringList errors;
};

} // namespace rivulet::test

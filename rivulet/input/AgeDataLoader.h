#pragma once

#include "lum/thread/ThreadRunnable.h"

#include <QObject>
#include <QString>

namespace rivulet {

class RivuletDb;

// Assigns tagged fish to cohorts from a small comma-separated file: per tag code either the
// cohort itself or a year (or date) and an age. Cohorts are added to the table "cohorts" and
// each known tag's `cohort_id` is set, all in one transaction.
//
// A job on a lum::ThreadRunner: progress by line, unknown tags reported one by one through
// errorStatus (they do not stop the load), a malformed line fails the job (with the line in
// its message) and leaves the database as it was, and a cancel rolls back.
class AgeDataLoader : public lum::ThreadRunnable
{
    Q_OBJECT

public:
    static constexpr int progressInterval = 10;

    explicit AgeDataLoader(QString fileName, RivuletDb* rdb = nullptr,
                           lum::ThreadRunner* runner = nullptr, QObject* parent = nullptr);

    QString fileName() const { return m_fileName; }
    // After the run: true when the load was stopped by an error and nothing was stored.
    bool failed() const { return m_failed; }
    // After the run: true when the ages were stored.
    bool loaded() const { return m_loaded; }

    void run() override;

private:
    bool load();
    bool fail(const QString& message, int lineNumber, lum::JobError code = lum::JobError::Input);
    void lineProblem(const QString& message, int lineNumber);

    QString m_fileName;
    RivuletDb* m_rdb = nullptr; // not owned
    bool m_failed = false;
    bool m_loaded = false;
};

} // namespace rivulet

#pragma once

#include <QObject>
#include <QString>

namespace rivulet {

class RivuletDb;

// Assigns tagged fish to cohorts from a small comma-separated file: per tag code either the
// cohort itself or a year (or date) and an age. Cohorts are added to the table "cohorts" and
// each known tag's `cohort_id` is set, all in one transaction.
//
// A worker object: run process() on a thread of its own (lum::WorkerThread) and listen to its
// signals. Unknown tags are reported one by one and do not stop the load; a malformed line
// stops it and leaves the database as it was.
class AgeDataLoader : public QObject
{
    Q_OBJECT

public:
    static constexpr int progressInterval = 10;

    explicit AgeDataLoader(QString fileName, RivuletDb* rdb = nullptr, QObject* parent = nullptr);

    QString fileName() const { return m_fileName; }
    // After finished(): true when the load was stopped by an error and nothing was stored.
    bool failed() const { return m_failed; }

signals:
    void finished();
    // A line's problem; lineNumber is -1 for the file as a whole.
    void loadError(const QString& msg, int lineNumber);
    void loadError(const QString& msg);
    void message(const QString& msg);
    void totalNumLines(int numLines);
    void progress(int lineNumber);

public slots:
    void process();

private:
    bool load();
    bool fail(const QString& message, int lineNumber);

    QString m_fileName;
    RivuletDb* m_rdb = nullptr; // not owned
    bool m_failed = false;
};

} // namespace rivulet

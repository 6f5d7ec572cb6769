#pragma once

#include "rivulet/study/Study.h"
#include "rivulet/study/StudyActions.h"

#include <QString>

#include <memory>

namespace lum {
class ThreadRunnable;
class ThreadRunner;
} // namespace lum

namespace rivulet {

class ObsDataLoader;
class RivuletDb;

// What the window does on its study, without the window: the study and its flows, the one flow
// that runs on the main runner, what has been loaded, and what a flow that ended leaves behind
// (data stored despite a cancel, the ages to load after the observations). The window shows
// the flows (progress, messages, windows) as the headless tool's terminal tracker does.
//
//     StudySession session(Study::Database, rdb, runner);
//     session.startLoad(path);
//     ... the runner reports the end: session.complete() (or canceled(), failed())
//     ... then session.startUpdate()
class StudySession
{
public:
    enum class Run
    {
        None,
        Load,
        Estimation,
        Update,
        Ages,
        SaveNextDetections
    };

    // How a flow ended, and what it left.
    struct Ending
    {
        Run run = Run::None;
        // Canceled too late: the load or the ages are stored all the same.
        bool stored = false;
        // The ages to load now that the observations are in; empty for none.
        QString agesNext;
    };

    // `rdb` (borrowed, open) holds the study unless `source` is a counts file; `runner` (borrowed)
    // runs the flows. Both must outlive the session.
    StudySession(Study::Source source, RivuletDb& rdb, lum::ThreadRunner& runner);
    ~StudySession();
    StudySession(const StudySession&) = delete;
    StudySession& operator=(const StudySession&) = delete;

    Study& study() const { return *m_study; }
    const StudyActions& actions() const { return m_actions; }
    Run running() const { return m_running; }
    bool hasData() const { return m_hasData; }
    bool hasAgeData() const { return m_hasAgeData; }
    // The file the running (or last) "Save Next Detections" writes.
    const QString& nextDetectionsFile() const { return m_nextDetectionsFile; }

    // The study holds data once a load brought some, or the derived data show releases.
    void markLoaded() { m_hasData = true; }
    void noteReleases();
    // Another study file is open under the study: nothing is known of its data until the
    // update that follows.
    void forgetData()
    {
        m_hasData = false;
        m_hasAgeData = false;
    }

    // Each starts its flow on the runner; one flow runs at a time. A load's failure for want of
    // a sites configuration ends with `sitesConfigRemedy` when there is one; `agesAfter` are
    // the ages that follow the observations (the sample study).
    void startLoad(const QString& path, const QString& sitesConfigRemedy = QString(),
                   const QString& agesAfter = QString());
    void startAges(const QString& path);
    void startUpdate();
    void startFit();
    void startSaveNextDetections(const QString& path);
    // Deletes all data of the study ("Clear All Data"); an error when nothing was.
    lum::Expected<void> clear() { return m_study->clearAllData(); }

    // The runner reported the end of the running flow: these wait for its thread, so that the
    // next flow can start on it at once, and say which flow it was and what it left.
    Ending complete();
    Ending canceled();
    Ending failed();

private:
    void start(std::unique_ptr<lum::ThreadRunnable> job, Run run);
    Run finish();

    std::unique_ptr<Study> m_study;
    lum::ThreadRunner& m_runner;
    StudyActions m_actions;
    std::unique_ptr<lum::ThreadRunnable> m_job;
    ObsDataLoader* m_loader = nullptr; // inside m_job while a load runs
    Run m_running = Run::None;
    bool m_hasData = false;
    bool m_hasAgeData = false;
    QString m_nextDetectionsFile;
    QString m_pendingAges;
};

} // namespace rivulet

// The window's flows on a study without the window: which flow runs, what each leaves behind.
#include "rivulet/study/StudySession.h"

#include "SmallStudyDesign.h"

#include "common/TestEnvironment.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/model/EstimationResults.h"
#include "tools/sim/StudySimulator.h"

#include <QDir>

#include <gtest/gtest.h>

namespace rivulet {
namespace {

class StudySessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = QDir(test::TestEnvironment::freshDir(QStringLiteral("session")));
        const auto written = sim::StudySimulator(test::smallStudyDesign()).run(folder.path(), true);
        ASSERT_TRUE(written) << written.error().text().toStdString();
        ASSERT_TRUE(rdb.open(folder.filePath(QStringLiteral("study.db"))));
    }

    // Waits for the running flow to end and hands the end to the session as the window does.
    StudySession::Ending end(StudySession& session)
    {
        EXPECT_TRUE(runner.wait(120000));
        if (runner.isCanceled())
            return session.canceled();
        return runner.hasFailed() ? session.failed() : session.complete();
    }

    QString path(const char* name) const { return folder.filePath(QLatin1String(name)); }

    QDir folder;
    RivuletDb rdb;
    lum::ThreadRunner runner;
};

TEST_F(StudySessionTest, ObservationsThenTheirAgesThenTheUpdateTheFitAndAClear)
{
    StudySession session(Study::Database, rdb, runner);
    EXPECT_FALSE(session.hasData());
    session.study().setSitesConfigPath(path(sim::StudySimulator::ConfigFile));

    session.startLoad(path(sim::StudySimulator::ObservationsFile), QString(),
                      path(sim::StudySimulator::AgesFile));
    EXPECT_EQ(session.running(), StudySession::Run::Load);
    StudySession::Ending ending = end(session);
    EXPECT_EQ(ending.run, StudySession::Run::Load);
    EXPECT_EQ(session.running(), StudySession::Run::None);
    EXPECT_TRUE(session.hasData());
    // The ages the load was started with follow it, once.
    ASSERT_EQ(ending.agesNext, path(sim::StudySimulator::AgesFile));

    session.startAges(ending.agesNext);
    ending = end(session);
    EXPECT_EQ(ending.run, StudySession::Run::Ages);
    EXPECT_TRUE(ending.agesNext.isEmpty());
    EXPECT_TRUE(session.hasAgeData());

    session.startUpdate();
    EXPECT_EQ(end(session).run, StudySession::Run::Update);
    EXPECT_EQ(session.study().releases().count(), 2);
    session.startFit();
    EXPECT_EQ(end(session).run, StudySession::Run::Estimation);
    EXPECT_FALSE(session.study().results().isEmpty());

    // Clearing is the study's own: the tables go, the next update finds no releases.
    const lum::Expected<void> cleared = session.clear();
    ASSERT_TRUE(cleared) << cleared.error().text().toStdString();
    session.startUpdate();
    end(session);
    EXPECT_EQ(session.study().releases().count(), 0);
}

TEST_F(StudySessionTest, AFailedLoadLeavesNoDataAndDropsTheAgesThatWouldFollow)
{
    StudySession session(Study::Database, rdb, runner);
    session.study().setSitesConfigPath(path(sim::StudySimulator::ConfigFile));
    session.startLoad(path("missing.csv"), QStringLiteral("Choose another file."),
                      path(sim::StudySimulator::AgesFile));
    const StudySession::Ending ending = end(session);
    EXPECT_EQ(ending.run, StudySession::Run::Load);
    EXPECT_FALSE(ending.stored);
    EXPECT_TRUE(ending.agesNext.isEmpty());
    EXPECT_FALSE(session.hasData());
    EXPECT_FALSE(session.hasAgeData());
}

} // namespace
} // namespace rivulet

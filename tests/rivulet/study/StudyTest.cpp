// A counts-file study driven through its actions, as the window and the headless tool drive it.
#include "rivulet/study/Study.h"

#include "common/TestEnvironment.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/study/StudyActions.h"

#include <QFile>
#include <QSignalSpy>
#include <QTextStream>

#include <gtest/gtest.h>

namespace rivulet {
namespace {

// Two releases in one year at sites 0 and 1; sites 1 and 2 detect, 3 is the final site.
const char* const kCounts = "2 4 1\n0 1\n0 0\n10 10\n\n1\n4\n3\n2\n1\n2 \n1 \n1\n2 \n"
                            "2\n5\n3\n2\n3 \n";

lum::Expected<void> read(Study& study, QString text)
{
    QTextStream in(&text);
    return study.readCountsFile(in);
}

// Runs a job to its end on the runner's thread.
bool runToEnd(lum::ThreadRunner& runner, lum::ThreadRunnable& job)
{
    runner.setRunnable(&job);
    runner.start();
    return runner.wait(60000) && !runner.hasFailed() && !runner.isCanceled();
}

TEST(StudyTest, AMalformedCountsFileIsReportedAndChangesNothing)
{
    Study study(Study::CountsFile, RivuletDb::instance());
    ASSERT_TRUE(read(study, kCounts));
    const lum::Expected<void> malformed = read(study, "2 4 1\n0 x\n");
    ASSERT_FALSE(malformed);
    EXPECT_EQ(malformed.error().code, lum::JobError::Input);
    EXPECT_EQ(malformed.error().text(), "integer expected at line 2, column 3");
    EXPECT_EQ(malformed.error().where, "line 2, column 3");
    EXPECT_EQ(study.releases().count(), 2);
    EXPECT_EQ(study.sequences(), nullptr);
}

TEST(StudyTest, ActionsUpdateFitAndSaveAndTheStudySaysWhatChanged)
{
    Study study(Study::CountsFile, RivuletDb::instance());
    ASSERT_TRUE(read(study, kCounts));
    EXPECT_FALSE(study.isUpToDate());
    QSignalSpy dataChanged(&study, &Study::dataChanged);
    QSignalSpy resultsChanged(&study, &Study::resultsChanged);
    lum::ThreadRunner runner;
    const StudyActions actions(study, runner);

    ASSERT_TRUE(runToEnd(runner, *actions.update()));
    EXPECT_TRUE(study.isUpToDate());
    EXPECT_EQ(dataChanged.count(), 1);
    ASSERT_FALSE(study.catalogue().fitList().empty());
    EXPECT_EQ(study.fishCount(ReleaseId{study.releases().ids().value(0)}), 10);

    FitJob::Options options;
    options.schemes = {study.catalogue().fitList().front()};
    ASSERT_TRUE(runToEnd(runner, *actions.fit(options)));
    EXPECT_EQ(study.results().count(), 1);
    EXPECT_GE(resultsChanged.count(), 1);

    // What "Save Next Detections" writes is the text of its job.
    const QString path = test::TestEnvironment::freshDir("study-save") + "/counts.txt";
    const auto save = actions.saveNextDetections(path);
    ASSERT_TRUE(runToEnd(runner, *save));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), save->text());
}

} // namespace
} // namespace rivulet

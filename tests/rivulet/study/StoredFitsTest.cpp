// Fitted models kept in the study's file: read back by the next run on the same data, never
// read back once the data or the configuration changed.
#include "rivulet/study/StoredFits.h"

#include "SmallStudyDesign.h"

#include "tools/LoadedStudy.h"

#include "lum/db/SqliteDb.h"
#include "lum/db/TableData.h"
#include "lum/estimation/DenseMatrix.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/study/StudyConfiguration.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace rivulet {
namespace {

bool run(lum::ThreadRunnable& job)
{
    lum::ThreadRunner runner;
    runner.setRunnable(&job);
    runner.start();
    return runner.wait(120000) && !runner.hasFailed() && !runner.isCanceled();
}

bool update(Study& study)
{
    lum::ThreadRunner runner;
    return run(*StudyActions(study, runner).update());
}

int storedRows(RivuletDb& rdb)
{
    lum::TableData rows(*rdb.database(),
                        QStringLiteral("select count(*) from ") + RivuletDb::fittedModelsTable());
    return rows.result() ? rows.value(0, 0).toInt() : -1;
}

void expectSameResults(const EstimationResults& read, const EstimationResults& fitted)
{
    ASSERT_EQ(read.count(), fitted.count());
    EXPECT_EQ(read.varianceInflation(), fitted.varianceInflation());
    EXPECT_EQ(read.bestIndex(), fitted.bestIndex());
    EXPECT_EQ(read.failures().size(), fitted.failures().size());
    for (int i = 0; i < fitted.count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read.scheme(i), fitted.scheme(i));
        EXPECT_EQ(read.logLikelihood(i), fitted.logLikelihood(i));
        EXPECT_EQ(read.aic(i), fitted.aic(i));
        EXPECT_EQ(read.estimates(i), fitted.estimates(i));
        const FitSummary& a = read.result(i).summary;
        const FitSummary& b = fitted.result(i).summary;
        EXPECT_EQ(a.statusText(), b.statusText());
        EXPECT_EQ(a.description(), b.description());
        EXPECT_EQ(a.informedParameters, b.informedParameters);
        EXPECT_EQ(a.estimates, b.estimates);
        EXPECT_EQ(a.profiles.size(), b.profiles.size());
        EXPECT_EQ(read.covarianceMap(i).scale(), fitted.covarianceMap(i).scale());
        ASSERT_EQ(read.covariance(i) != nullptr, fitted.covariance(i) != nullptr);
        const int n = static_cast<int>(fitted.estimates(i).size());
        for (int r = 0; fitted.covariance(i) && r < n; ++r) {
            for (int c = 0; c < n; ++c)
                ASSERT_EQ((*read.covariance(i))(r, c), (*fitted.covariance(i))(r, c))
                    << r << "," << c;
        }
    }
}

TEST(StoredFitsTest, FitsAreReadBackByTheNextRunOnTheSameFile)
{
    test::LoadedStudy loaded(test::smallStudyDesign(), "stored-fits");
    ASSERT_EQ(loaded.load(), QString());
    lum::ThreadRunner runner;
    FitJob::Options options;
    options.chat = 1.5;
    ASSERT_TRUE(run(*StudyActions(loaded.study, runner).fit(options)));
    ASSERT_GT(loaded.study.results().count(), 1);
    // The unique model is fitted release by release: its covariance is held in blocks.
    bool blocks = false;
    for (int i = 0; i < loaded.study.results().count(); ++i)
        blocks = blocks || (loaded.study.results().covariance(i) &&
                            loaded.study.results().covariance(i)->isBlockDiagonal());
    EXPECT_TRUE(blocks);

    Study again(Study::Database, loaded.rdb);
    QSignalSpy resultsChanged(&again, &Study::resultsChanged);
    ASSERT_TRUE(update(again));
    EXPECT_TRUE(again.resultsWereStored());
    EXPECT_EQ(resultsChanged.count(), 1);
    expectSameResults(again.results(), loaded.study.results());

    // Results already in memory are the run's own: an update keeps them.
    again.results().clear();
    again.results().recordFailure({1, 1}, QStringLiteral("kept"));
    ASSERT_TRUE(update(again));
    EXPECT_EQ(again.results().failure({1, 1}), QStringLiteral("kept"));
}

TEST(StoredFitsTest, AnEditOrALoadForgetsTheFits)
{
    test::LoadedStudy loaded(test::smallStudyDesign(), "stored-fits-edit");
    ASSERT_EQ(loaded.load(), QString());
    lum::ThreadRunner runner;
    FitJob::Options options;
    options.schemes = {loaded.study.catalogue().fitList().front()};
    ASSERT_TRUE(run(*StudyActions(loaded.study, runner).fit(options)));
    ASSERT_EQ(storedRows(loaded.rdb), 1);

    // A configuration edit, as the configuration windows and the headless tool make it.
    StudyConfiguration configuration(loaded.study);
    int site = -1;
    for (int s = 0; s < loaded.study.sites().shortNames().size() && site < 0; ++s)
        site = configuration.canRemoveSite(s) ? s : -1;
    ASSERT_GE(site, 0);
    ASSERT_TRUE(configuration.removeSite(site));
    Study edited(Study::Database, loaded.rdb);
    ASSERT_TRUE(update(edited));
    EXPECT_TRUE(edited.results().isEmpty());
    EXPECT_FALSE(edited.resultsWereStored());
    EXPECT_EQ(storedRows(loaded.rdb), 0);

    // Fitted again on the edited data, then a load of observations replaces the study.
    ASSERT_TRUE(run(*StudyActions(edited, runner).fit(options)));
    ASSERT_EQ(storedRows(loaded.rdb), 1);
    const auto load = StudyActions(loaded.study, runner)
                          .loadObservations(loaded.file(sim::StudySimulator::ObservationsFile));
    ASSERT_TRUE(run(*load));
    ASSERT_FALSE(load->job().failed());
    EXPECT_EQ(storedRows(loaded.rdb), 0);
}

TEST(StoredFitsTest, AFileWithoutTheTablesReadsAsNotYetFitted)
{
    test::LoadedStudy loaded(test::smallStudyDesign(), "stored-fits-old");
    ASSERT_EQ(loaded.load(), QString());
    lum::ThreadRunner runner;
    FitJob::Options options;
    options.schemes = {loaded.study.catalogue().fitList().front()};
    ASSERT_TRUE(run(*StudyActions(loaded.study, runner).fit(options)));
    {
        lum::SqliteDb other;
        ASSERT_TRUE(other.open(loaded.folder + QStringLiteral("/study.db")));
        ASSERT_TRUE(other.exec(QStringLiteral("drop table ") + RivuletDb::fittedModelsTable()));
        ASSERT_TRUE(other.exec(QStringLiteral("drop table ") + RivuletDb::fitRunTable()));
    }
    Study again(Study::Database, loaded.rdb);
    ASSERT_TRUE(update(again));
    EXPECT_TRUE(again.results().isEmpty());
    EXPECT_FALSE(again.resultsWereStored());
    // The next fit makes the tables.
    ASSERT_TRUE(run(*StudyActions(again, runner).fit(options)));
    EXPECT_EQ(storedRows(loaded.rdb), 1);
}

} // namespace
} // namespace rivulet

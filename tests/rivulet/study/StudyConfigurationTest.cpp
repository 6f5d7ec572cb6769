// Configuration edits on a small simulated study: what the controllers list afterwards and the
// next-detection counts the update re-derives, checked against counts taken before the edit
// and against recounts of the stored observations.
#include "rivulet/study/StudyConfiguration.h"

#include "SmallStudyDesign.h"

#include "tools/LoadedStudy.h"

#include "lum/thread/ThreadRunner.h"
#include "rivulet/data/CohortsController.h"
#include "rivulet/data/SitesController.h"
#include "rivulet/data/YearsController.h"

#include <QMap>
#include <QPair>
#include <QSqlQuery>
#include <QTextStream>
#include <QVariantMap>

#include <gtest/gtest.h>

namespace rivulet {
namespace {

// The first detections of one release by (site id, year id), and its fish never seen.
struct ReleaseCounts
{
    QMap<QPair<int, int>, int> first;
    int notSeen = 0;
};

class StudyConfigurationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        study =
            std::make_unique<test::LoadedStudy>(test::smallStudyDesign(), "study-configuration");
        const QString error = study->load();
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        configuration = std::make_unique<StudyConfiguration>(study->study);
    }

    bool update()
    {
        lum::ThreadRunner runner;
        const auto job = StudyActions(study->study, runner).update();
        job->run();
        return !job->job().hasFailed();
    }

    QMap<int, ReleaseCounts> snapshot() const
    {
        QMap<int, ReleaseCounts> all;
        const QList<int> siteIds = study->sites.ids();
        const QList<int> yearIds = study->years.ids();
        for (int id : study->releases.ids()) {
            ReleaseCounts& counts = all[id];
            counts.notSeen = study->counts.releaseNotSeen(ReleaseId{id});
            const CountMatrix& first = study->counts.releaseNextCounts(ReleaseId{id});
            for (int s = 1; s < siteIds.size(); ++s) {
                for (int y = 0; y < yearIds.size(); ++y)
                    counts.first[{siteIds.at(s), yearIds.at(y)}] = first.count(s, y);
            }
        }
        return all;
    }

    // Fish of a release detected below its release site whose every such detection has the
    // given value in `column` of the observation, counted in the stored observations.
    int fishDetectedOnly(int releaseId, const QString& column, int value) const
    {
        const QString matches = QStringLiteral("o.%1 = :value").arg(column);
        const QString below = QStringLiteral(
            "o.disposition > 0 and o.site_id in (select s.id from sites s, sites rs, releases r "
            "where r.id = t.release_id and rs.id = r.release_site_id and s.active_sequence > "
            "rs.active_sequence)");
        return scalar(
            QStringLiteral("select count(*) from tags t where t.release_id = :release and exists "
                           "(select 1 from observations o where o.tag_id = t.id and %1) and not "
                           "exists (select 1 from observations o where o.tag_id = t.id and %1 "
                           "and not (%2))")
                .arg(below, matches),
            {{QStringLiteral(":release"), releaseId}, {QStringLiteral(":value"), value}});
    }

    int scalar(const QString& sql, const QVariantMap& values = {}) const
    {
        QSqlQuery query(study->rdb.database()->db());
        if (!query.prepare(sql))
            return -1;
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            query.bindValue(it.key(), it.value());
        return query.exec() && query.next() ? query.value(0).toInt() : -1;
    }

    // A detection site that no release uses, between the first detection site and the last.
    int innerDetectionSite() const
    {
        for (int p = study->sites.count() - 2; p > 1; --p) {
            if (configuration->canMakeLastSite(p))
                return p;
        }
        return -1;
    }

    std::unique_ptr<test::LoadedStudy> study;
    std::unique_ptr<StudyConfiguration> configuration;
};

TEST_F(StudyConfigurationTest, RemovingASiteMovesItsFishToTheirNextDetectionOrToNeverSeen)
{
    const int x = innerDetectionSite();
    ASSERT_GT(x, 1);
    const int siteCount = study->sites.count();
    const int xId = study->sites.ids().at(x);
    const QString xName = study->sites.shortNames().at(x);
    const QMap<int, ReleaseCounts> before = snapshot();
    QMap<int, int> onlyAtX;
    for (int id : study->releases.ids())
        onlyAtX[id] = fishDetectedOnly(id, QStringLiteral("site_id"), xId);

    // A release site is refused and changes nothing.
    const int releaseSite =
        study->sites.indexOf(study->releases.releaseSiteId(study->releases.ids().constLast()));
    const lum::Expected<void> refused = configuration->removeSite(releaseSite);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().text(), QStringLiteral("A release site cannot be removed."));
    ASSERT_TRUE(configuration->removeSite(x));
    ASSERT_TRUE(update());

    EXPECT_EQ(study->sites.count(), siteCount - 1);
    EXPECT_FALSE(study->sites.shortNames().contains(xName));
    EXPECT_FALSE(study->sites.ids().contains(xId));
    const QMap<int, ReleaseCounts> after = snapshot();
    const QList<int> siteIds = study->sites.ids();
    int movedToNeverSeen = 0;
    for (int id : study->releases.ids()) {
        const CountMatrix& first = study->counts.releaseNextCounts(ReleaseId{id});
        EXPECT_EQ(first.columns(), siteCount - 2);
        EXPECT_EQ(after[id].notSeen, before[id].notSeen + onlyAtX[id]) << "release " << id;
        movedToNeverSeen += onlyAtX[id];
        // Sites above x keep their first detections; the fish first seen at x that were seen
        // again are first seen further down now, and none is seen for the first time twice.
        int firstAtX = 0;
        for (auto it = before[id].first.cbegin(); it != before[id].first.cend(); ++it)
            if (it.key().first == xId)
                firstAtX += it.value();
        int gainedBelow = 0;
        for (auto it = after[id].first.cbegin(); it != after[id].first.cend(); ++it) {
            const int position = siteIds.indexOf(it.key().first);
            const int gained = it.value() - before[id].first.value(it.key());
            if (position < x)
                EXPECT_EQ(gained, 0) << "release " << id << " site " << position;
            else
                EXPECT_GE(gained, 0) << "release " << id << " site " << position;
            gainedBelow += position >= x ? gained : 0;
        }
        EXPECT_EQ(gainedBelow, firstAtX - onlyAtX[id]) << "release " << id;
    }
    EXPECT_GT(movedToNeverSeen, 0) << "the study should have fish seen only at the removed site";
}

TEST_F(StudyConfigurationTest, TheLastSiteTakesEveryDetectionBelowItAndResetUndoesAllEdits)
{
    const int last = innerDetectionSite();
    ASSERT_GT(last, 1);
    const int siteCount = study->sites.count();
    const QList<int> siteIds = study->sites.ids();
    const QMap<int, ReleaseCounts> before = snapshot();
    ASSERT_FALSE(configuration->canMakeLastSite(1));
    ASSERT_TRUE(configuration->setLastSite(last));
    ASSERT_TRUE(update());

    EXPECT_EQ(study->sites.count(), last + 1);
    const QMap<int, ReleaseCounts> after = snapshot();
    const QList<int> yearIds = study->years.ids();
    for (int id : study->releases.ids()) {
        EXPECT_EQ(after[id].notSeen, before[id].notSeen);
        for (int y : yearIds) {
            for (int s = 1; s < last; ++s)
                EXPECT_EQ(after[id].first.value({siteIds.at(s), y}),
                          before[id].first.value({siteIds.at(s), y}));
            int merged = 0;
            for (int s = last; s < siteCount; ++s)
                merged += before[id].first.value({siteIds.at(s), y});
            EXPECT_EQ(after[id].first.value({siteIds.at(last), y}), merged) << "release " << id;
        }
    }

    // Also remove the year without releases, then reset: every count is as loaded again.
    const int lastYear = study->years.count() - 1;
    ASSERT_TRUE(configuration->removeYear(lastYear));
    ASSERT_TRUE(update());
    ASSERT_TRUE(configuration->reset());
    ASSERT_TRUE(update());
    EXPECT_EQ(study->sites.ids(), siteIds);
    EXPECT_EQ(study->years.ids(), yearIds);
    EXPECT_EQ(snapshot().keys(), before.keys());
    for (int id : before.keys()) {
        EXPECT_EQ(snapshot()[id].first, before[id].first);
        EXPECT_EQ(snapshot()[id].notSeen, before[id].notSeen);
    }
    EXPECT_EQ(scalar("select count(*) from sites where active_sequence < 0"), 0);
    EXPECT_EQ(scalar("select count(*) from years where active_sequence <> sequence"), 0);
}

TEST_F(StudyConfigurationTest, RemovingAYearLeavesFishSeenOnlyThenNeverSeen)
{
    const int lastYear = study->years.count() - 1;
    const int yearId = study->years.ids().at(lastYear);
    const QString label = study->years.yearLabels().at(lastYear);
    ASSERT_FALSE(configuration->canRemoveYear(0)) << "the release year cannot be removed";
    const QMap<int, ReleaseCounts> before = snapshot();
    QMap<int, int> onlyThen;
    for (int id : study->releases.ids())
        onlyThen[id] = fishDetectedOnly(id, QStringLiteral("migration_year_id"), yearId);

    ASSERT_TRUE(configuration->removeYear(lastYear));
    ASSERT_TRUE(update());

    EXPECT_EQ(study->years.count(), lastYear);
    EXPECT_FALSE(study->years.yearLabels().contains(label));
    const QMap<int, ReleaseCounts> after = snapshot();
    for (int id : study->releases.ids()) {
        EXPECT_GT(onlyThen[id], 0);
        EXPECT_EQ(after[id].notSeen, before[id].notSeen + onlyThen[id]);
        for (auto it = after[id].first.cbegin(); it != after[id].first.cend(); ++it)
            EXPECT_EQ(it.value(), before[id].first.value(it.key()));
    }
}

TEST_F(StudyConfigurationTest, ReleasesAndTheCohortChooseTheFishTheCountsHold)
{
    // The counts file lists the releases the next fit uses, each with its number of fish.
    const auto written = [this]() {
        QString text;
        QTextStream out(&text);
        study->counts.write(out);
        out.flush();
        return text.split(QLatin1Char('\n')).mid(0, 4);
    };
    // Fish of a release, of every cohort or of one (by its number).
    const auto fishOf = [this](int releaseId, int cohort = 0) {
        QVariantMap values{{QStringLiteral(":release"), releaseId}};
        QString sql = QStringLiteral("select count(*) from tags where release_id = :release");
        if (cohort != 0) {
            sql +=
                QStringLiteral(" and cohort_id = (select id from cohorts where cohort = :cohort)");
            values.insert(QStringLiteral(":cohort"), cohort);
        }
        return scalar(sql, values);
    };
    const QList<int> ids = study->releases.ids();
    const QStringList labels = study->releases.labels();
    ASSERT_EQ(ids.size(), 2);
    EXPECT_TRUE(written().at(0).startsWith(QStringLiteral("2 ")));

    EXPECT_FALSE(configuration->excludeRelease(QStringLiteral("nowhere 1999")));
    ASSERT_TRUE(configuration->excludeRelease(labels.at(0)));
    ASSERT_TRUE(update());
    EXPECT_EQ(study->releases.labels(), QStringList{labels.at(1)});
    QStringList header = written();
    ASSERT_EQ(header.size(), 4);
    EXPECT_TRUE(header.at(0).startsWith(QStringLiteral("1 "))) << header.join('|').toStdString();
    EXPECT_EQ(header.at(3).trimmed().toInt(), fishOf(ids.at(1)));
    ASSERT_TRUE(configuration->includeRelease(labels.at(0)));

    // Ages give cohorts; one cohort keeps only its fish in every release.
    lum::ThreadRunner runner;
    const auto ages =
        StudyActions(study->study, runner).loadAges(study->file(sim::StudySimulator::AgesFile));
    ages->run();
    ASSERT_FALSE(ages->job().failed());
    ASSERT_TRUE(update());
    const QList<int> cohorts = configuration->cohortNumbers();
    ASSERT_GE(cohorts.size(), 2);
    EXPECT_FALSE(configuration->setCohort(-7));
    ASSERT_TRUE(configuration->setCohort(cohorts.at(0)));
    ASSERT_TRUE(update());
    EXPECT_EQ(study->releases.labels(), labels);
    EXPECT_EQ(configuration->activeCohortNumber(), cohorts.at(0));
    header = written();
    ASSERT_EQ(header.size(), 4);
    QStringList expectedFish;
    for (int id : study->releases.ids())
        expectedFish << QString::number(fishOf(id, cohorts.at(0)));
    EXPECT_EQ(header.at(3).split(' ', Qt::SkipEmptyParts), expectedFish);
    EXPECT_LT(fishOf(ids.at(0), cohorts.at(0)), fishOf(ids.at(0)));

    ASSERT_TRUE(configuration->clearCohort());
    ASSERT_TRUE(update());
    EXPECT_EQ(configuration->activeCohortNumber(), 0);
    EXPECT_EQ(written().at(3).split(' ', Qt::SkipEmptyParts).at(0),
              QString::number(fishOf(ids.at(0))));
}

} // namespace
} // namespace rivulet

// The "Releases and Cohorts Configuration" window: what it applies changes the fish the next
// fit counts, and its edits (with those of the sites view) leave the database exactly as the
// headless tool's commands leave it.
#include "WindowFixture.h"

#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/views/ConfigCohortsTableModel.h"
#include "rivulet/views/ConfigReleasesCohortsWidget.h"
#include "rivulet/views/ConfigReleasesTableModel.h"
#include "rivulet/views/ConfigSitesYearsWidget.h"

#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

namespace rivulet::test {
namespace {

// Runs `work` on a connection of the test's own to a database file.
template <typename Work>
void withDatabase(const QString& file, Work work)
{
    const QString name = QStringLiteral("releases-cohorts-test");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        work(db);
    }
    QSqlDatabase::removeDatabase(name);
}

int scalar(QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(db);
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    return query.exec() && query.next() ? query.value(0).toInt() : -1;
}

// Every row of every table but the settings (and their row counter), as text.
QStringList dump(const QString& file)
{
    QStringList rows;
    withDatabase(file, [&rows](QSqlDatabase& db) {
        for (const QString& table : db.tables()) {
            if (table == QLatin1String("settings"))
                continue;
            QSqlQuery query(QStringLiteral("select * from \"%1\" order by 1").arg(table), db);
            while (query.next()) {
                QStringList values{table};
                for (int c = 0; c < query.record().count(); ++c)
                    values << query.value(c).toString();
                if (values.value(1) != QLatin1String("settings"))
                    rows << values.join(QLatin1Char('|'));
            }
        }
    });
    return rows;
}

class ReleasesCohortsConfiguration : public WindowFixture
{
protected:
    QString database() const { return file(sim::StudySimulator::ConfigFile) + ".db"; }

    ConfigReleasesCohortsWidget* openView()
    {
        if (!trigger(RivuletWindow::ReleasesCohortsItem))
            return nullptr;
        return qobject_cast<ConfigReleasesCohortsWidget*>(
            window->windowWidget(RivuletWindow::ReleasesCohortsWindow));
    }

    bool loadAges()
    {
        prompts->files << file(sim::StudySimulator::AgesFile);
        return trigger(RivuletWindow::LoadAgeDataItem) && window->hasAgeData();
    }

    // The fish of the active releases as the next fit reads them.
    int fishOfNextFit() const
    {
        const Study& study = window->study();
        int fish = 0;
        for (int id : study.releases().ids()) {
            fish += study.nextDetections().releaseNotSeen(ReleaseId{id}) +
                    int(study.nextDetections().releaseNextCounts(ReleaseId{id}).sum());
        }
        return fish;
    }

    static void click(QAbstractItemModel* model, int row)
    {
        model->setData(model->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    }
};

TEST_F(ReleasesCohortsConfiguration, AppliedReleasesAndCohortChangeTheFishOfTheNextFit)
{
    openWindow(false);
    ASSERT_TRUE(load());
    ASSERT_TRUE(loadAges());
    ConfigReleasesCohortsWidget* view = openView();
    ASSERT_NE(view, nullptr);
    ConfigReleasesTableModel* releases = view->releasesModel();
    ASSERT_EQ(releases->rowCount(), 2);
    const QList<int> ids = window->study().releases().ids();
    int allTags = 0;
    int secondReleaseTags = 0;
    withDatabase(database(), [&](QSqlDatabase& db) {
        allTags = scalar(db, QStringLiteral("select count(*) from tags"));
        secondReleaseTags = scalar(db,
                                   QStringLiteral("select count(*) from tags where "
                                                  "release_id = ?"),
                                   {ids.at(1)});
    });
    EXPECT_EQ(fishOfNextFit(), allTags);

    // Checking and unchecking a release changes nothing; "Done" with a change asks first.
    click(releases, 0);
    EXPECT_TRUE(view->applyButton()->isEnabled());
    click(releases, 0);
    EXPECT_FALSE(view->applyButton()->isEnabled());
    click(releases, 0);
    prompts->answers << QMessageBox::No;
    view->onDone();
    ASSERT_TRUE(settle());
    EXPECT_EQ(prompts->messages.last().text,
              QStringLiteral("There are unsaved changes. Discard and Exit?"));
    ASSERT_NE(window->subWindow(RivuletWindow::ReleasesCohortsWindow), nullptr);
    view->onApply();
    ASSERT_TRUE(settle());
    EXPECT_EQ(window->study().releases().ids(), QList<int>{ids.at(1)});
    EXPECT_EQ(fishOfNextFit(), secondReleaseTags);

    // The reloaded view shows the stored state; a cohort narrows the fish further.
    EXPECT_EQ(releases->selection(), QList<int>{ids.at(1)});
    click(releases, 0);
    ConfigCohortsTableModel* cohorts = view->cohortsModel();
    ASSERT_GE(cohorts->rowCount(), 2);
    const int cohort = cohorts->headerData(0, Qt::Vertical, Qt::DisplayRole).toInt();
    click(cohorts, 0);
    view->onApply();
    ASSERT_TRUE(settle());
    EXPECT_EQ(window->study().releases().count(), 2);
    int cohortTags = 0;
    withDatabase(database(), [&](QSqlDatabase& db) {
        cohortTags = scalar(db,
                            QStringLiteral("select count(*) from tags join cohorts on "
                                           "tags.cohort_id = cohorts.id where cohorts.cohort = ?"),
                            {cohort});
    });
    EXPECT_GT(cohortTags, 0);
    EXPECT_LT(cohortTags, allTags);
    EXPECT_EQ(fishOfNextFit(), cohortTags);

    // Unchecking the cohort brings every fish back.
    EXPECT_EQ(cohorts->selectedRow(), 0);
    click(cohorts, 0);
    EXPECT_EQ(cohorts->selectedRow(), -1);
    view->onApply();
    ASSERT_TRUE(settle());
    EXPECT_EQ(fishOfNextFit(), allTags);
}

TEST_F(ReleasesCohortsConfiguration, ViewEditsLeaveTheDatabaseTheHeadlessToolLeaves)
{
    openWindow(false);
    ASSERT_TRUE(load());
    ASSERT_TRUE(loadAges());
    const QString copy = QDir(folder).filePath(QStringLiteral("by-tool.db"));
    withDatabase(database(), [&copy](QSqlDatabase& db) {
        QSqlQuery vacuum(db);
        vacuum.prepare(QStringLiteral("vacuum into ?"));
        vacuum.addBindValue(copy);
        ASSERT_TRUE(vacuum.exec());
    });
    const QString release = window->study().releases().labels().at(0);
    const QString site = window->study().sites().shortNames().at(3);

    ConfigReleasesCohortsWidget* view = openView();
    ASSERT_NE(view, nullptr);
    const QString cohort =
        view->cohortsModel()->headerData(1, Qt::Vertical, Qt::DisplayRole).toString();
    click(view->releasesModel(), 0);
    click(view->cohortsModel(), 1);
    view->onApply();
    ASSERT_TRUE(settle());
    ASSERT_TRUE(trigger(RivuletWindow::SitesYearsItem));
    auto* sites = qobject_cast<ConfigSitesYearsWidget*>(
        window->windowWidget(RivuletWindow::SitesYearsWindow));
    ASSERT_NE(sites, nullptr);
    sites->chooseSiteEntry(site, 0);
    ASSERT_TRUE(settle());
    EXPECT_EQ(window->study().releases().count(), 1);

    for (const QStringList& command :
         {QStringList{"releases", "exclude", release}, QStringList{"cohort", cohort},
          QStringList{"sites", "remove", site}}) {
        QProcess tool;
        tool.start(
            QStringLiteral(RIVULET_CLI_BINARY),
            QStringList{"--db", copy, "--sites-config", file(sim::StudySimulator::ConfigFile)} +
                command);
        ASSERT_TRUE(tool.waitForFinished(120000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    }
    window.reset();
    const QStringList byView = dump(database());
    EXPECT_GT(byView.size(), 100);
    const QStringList byTool = dump(copy);
    QStringList differing;
    for (const QString& row : byView + byTool) {
        if (!byView.contains(row) || !byTool.contains(row))
            differing << row;
    }
    EXPECT_EQ(byView.size(), byTool.size());
    EXPECT_TRUE(differing.isEmpty()) << differing.join(QLatin1Char('\n')).toStdString();
}

} // namespace
} // namespace rivulet::test

// The "Releases and Cohorts Configuration" window: what it applies changes the fish the next
// fit counts, and the window's loads and edits leave the database the headless tool leaves.
#include "WindowFixture.h"

#include "lum/db/TableData.h"
#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/views/ConfigCohortsTableModel.h"
#include "rivulet/views/ConfigReleasesCohortsWidget.h"
#include "rivulet/views/ConfigReleasesTableModel.h"
#include "rivulet/views/ConfigSitesYearsWidget.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

namespace rivulet::test {
namespace {

// Every row of every table but the settings (and their row counter), as text, read through a
// connection of the test's own.
QStringList dump(const QString& file)
{
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), file);
        db.setDatabaseName(file);
        EXPECT_TRUE(db.open());
        for (const QString& table : db.tables()) {
            QSqlQuery query(QStringLiteral("select * from \"%1\" order by 1").arg(table), db);
            while (table != QLatin1String("settings") && query.next()) {
                QStringList values{table};
                for (int c = 0; c < query.record().count(); ++c)
                    values << query.value(c).toString();
                if (values.value(1) != QLatin1String("settings"))
                    rows << values.join(QLatin1Char('|'));
            }
        }
    }
    QSqlDatabase::removeDatabase(file);
    rows.sort();
    return rows;
}

class ReleasesCohortsConfiguration : public WindowFixture
{
protected:
    ConfigReleasesCohortsWidget* openView()
    {
        if (!load())
            return nullptr;
        prompts->files << file(sim::StudySimulator::AgesFile);
        if (!trigger(RivuletWindow::LoadAgeDataItem) ||
            !trigger(RivuletWindow::ReleasesCohortsItem))
            return nullptr;
        return qobject_cast<ConfigReleasesCohortsWidget*>(
            window->windowWidget(RivuletWindow::ReleasesCohortsWindow));
    }

    int tags(const QString& where, const QVariantList& values = {}) const
    {
        return lum::TableData(*rdb.database(),
                              QStringLiteral("select count(*) from tags left join cohorts on "
                                             "tags.cohort_id = cohorts.id") +
                                  where,
                              values)
            .intValue(0, 0);
    }

    // The fish of the active releases as the next fit reads them.
    int fishOfNextFit() const
    {
        const NextDetectionsI& counts = window->study().nextDetections();
        int fish = 0;
        for (int id : window->study().releases().ids())
            fish += counts.releaseNotSeen(ReleaseId{id}) +
                    int(counts.releaseNextCounts(ReleaseId{id}).sum());
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
    ConfigReleasesCohortsWidget* view = openView();
    ASSERT_NE(view, nullptr);
    const QList<int> ids = window->study().releases().ids();
    ASSERT_EQ(view->releasesModel()->rowCount(), 2);
    EXPECT_EQ(fishOfNextFit(), tags(QString()));

    click(view->releasesModel(), 0);
    view->onApply();
    ASSERT_TRUE(settle());
    EXPECT_EQ(window->study().releases().ids(), QList<int>{ids.at(1)});
    EXPECT_EQ(fishOfNextFit(), tags(QStringLiteral(" where release_id = ?"), {ids.at(1)}));

    // The reloaded view shows the stored state; a cohort narrows the fish further.
    EXPECT_EQ(view->releasesModel()->selection(), QList<int>{ids.at(1)});
    click(view->releasesModel(), 0);
    ConfigCohortsTableModel* cohorts = view->cohortsModel();
    ASSERT_GE(cohorts->rowCount(), 2);
    click(cohorts, 0);
    view->onApply();
    ASSERT_TRUE(settle());
    const int cohortFish = tags(QStringLiteral(" where cohorts.cohort = ?"),
                                {cohorts->headerData(0, Qt::Vertical, Qt::DisplayRole)});
    EXPECT_GT(cohortFish, 0);
    EXPECT_LT(cohortFish, tags(QString()));
    EXPECT_EQ(fishOfNextFit(), cohortFish);
}

TEST_F(ReleasesCohortsConfiguration, ViewEditsLeaveTheDatabaseTheHeadlessToolLeaves)
{
    openWindow(false);
    ConfigReleasesCohortsWidget* view = openView();
    ASSERT_NE(view, nullptr);
    const QString copy = QDir(folder).filePath(QStringLiteral("by-tool.db"));
    const QString release = window->study().releases().labels().at(0);
    const QString site = window->study().sites().shortNames().at(3);
    const QString cohort =
        view->cohortsModel()->headerData(1, Qt::Vertical, Qt::DisplayRole).toString();
    click(view->releasesModel(), 0);
    click(view->cohortsModel(), 1);
    view->onApply();
    ASSERT_TRUE(settle() && trigger(RivuletWindow::SitesYearsItem));
    auto* sites = qobject_cast<ConfigSitesYearsWidget*>(
        window->windowWidget(RivuletWindow::SitesYearsWindow));
    ASSERT_NE(sites, nullptr);
    sites->chooseSiteEntry(site, 0);
    ASSERT_TRUE(settle());

    for (const QStringList& command :
         {QStringList{"load-observations", file(sim::StudySimulator::ObservationsFile)},
          QStringList{"load-ages", file(sim::StudySimulator::AgesFile)},
          QStringList{"releases", "exclude", release}, QStringList{"cohort", cohort},
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
    const QStringList byView = dump(file(sim::StudySimulator::ConfigFile) + ".db");
    EXPECT_GT(byView.size(), 100);
    EXPECT_EQ(byView, dump(copy));
}

} // namespace
} // namespace rivulet::test

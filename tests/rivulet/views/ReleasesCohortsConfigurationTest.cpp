// The "Releases and Cohorts Configuration" window: the window's loads and edits, with those of
// the sites view, leave the database (the counts of the next fit too) the headless tool leaves.
#include "WindowFixture.h"

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
        if (!trigger(nav::loadAgeData) || !trigger(nav::releasesCohorts))
            return nullptr;
        return qobject_cast<ConfigReleasesCohortsWidget*>(
            window->windowWidget(View::ReleasesCohorts));
    }

    static void click(QAbstractItemModel* model, int row)
    {
        model->setData(model->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    }
};

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
    const QList<int> ids = window->study().releases().ids();
    click(view->releasesModel(), 0);
    click(view->cohortsModel(), 1);
    view->onApply();
    ASSERT_TRUE(settle());
    // The reloaded view shows the stored state.
    EXPECT_EQ(view->releasesModel()->selection(), ids.mid(1));
    ASSERT_TRUE(trigger(nav::sitesYears));
    auto* sites = qobject_cast<ConfigSitesYearsWidget*>(window->windowWidget(View::SitesYears));
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

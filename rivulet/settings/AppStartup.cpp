#include "rivulet/settings/AppStartup.h"

#include "lum/db/DbModel.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/settings/RivuletSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace rivulet {

void AppStartup::setIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Aldermoor Lab"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("aldermoor-lab.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Rivulet"));
}

bool AppStartup::hasCountsFileSwitch(const QStringList& arguments)
{
    return arguments.contains(QStringLiteral("--counts"), Qt::CaseSensitive) ||
           arguments.contains(QStringLiteral("-mock"), Qt::CaseSensitive);
}

namespace {
QString& uninstalledSample()
{
    static QString folder;
    return folder;
}
} // namespace

void AppStartup::setUninstalledSampleFolder(const QString& folder)
{
    uninstalledSample() = folder;
}

QString AppStartup::sampleStudyFolder()
{
    const QString sample = QStringLiteral("rivulet/sample");
    QStringList candidates;
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        candidates << QDir(data).filePath(sample);
    // An install under a prefix the desktop does not search still has share/ beside bin/.
    candidates << QDir(QCoreApplication::applicationDirPath()).filePath("../share/" + sample);
    if (!uninstalledSample().isEmpty())
        candidates << uninstalledSample();
    for (const QString& candidate : candidates) {
        const QDir folder(candidate);
        if (folder.exists(QStringLiteral("sites_config.txt")) &&
            folder.exists(QStringLiteral("observations.csv")) &&
            folder.exists(QStringLiteral("ages.csv")))
            return folder.canonicalPath();
    }
    return QString();
}

QString AppStartup::prepareOverride(const QString& path, StartupResult& result)
{
    const QFileInfo file(path);
    const QString absolute = file.absoluteFilePath();
    result.databasePath = absolute;
    if (file.isDir()) {
        result.error = QStringLiteral("\"%1\" is a folder, not a database file").arg(absolute);
        return {};
    }
    if (!QDir().mkpath(file.absolutePath())) {
        result.error =
            QStringLiteral("Unable to create the folder of database file \"%1\"").arg(absolute);
        return {};
    }
    return absolute;
}

bool AppStartup::openDatabase(RivuletDb& db, StartupResult& result)
{
    if (const lum::Expected<void> opened = db.open(result.databasePath); !opened) {
        // The first reason (an uncreatable folder) explains the rest.
        if (result.error.isEmpty())
            result.error = QStringLiteral("Unable to open database \"%1\": %2")
                               .arg(result.databasePath, opened.error().text());
        return false;
    }
    // Opening creates the missing tables; a file that is read-only or
    // damaged can fail there while the open itself succeeded. Trying once
    // more gives the reason.
    for (const lum::DbModel* model : db.models()) {
        if (!db.database()->tableExists(*model)) {
            const lum::Expected<void> created = db.createTables();
            if (created && db.database()->tableExists(*model))
                continue;
            result.error = QStringLiteral("Unable to create table \"%1\" in database \"%2\": %3")
                               .arg(model->tableName(), result.databasePath,
                                    created ? QString() : created.error().text());
            return false;
        }
    }
    result.databaseReady = true;
    return true;
}

StartupResult AppStartup::openStudy(RivuletDb& db, const QString& path)
{
    StartupResult result;
    const QString previous = db.database() ? db.database()->path() : QString();
    if (prepareOverride(path, result).isEmpty())
        return result;
    result.newDatabase = !QFileInfo::exists(result.databasePath);
    if (!openDatabase(db, result)) {
        // The failed open closed the study that was open; it stays the open one.
        if (!previous.isEmpty()) {
            if (const lum::Expected<void> back = db.open(previous); !back)
                result.error += QStringLiteral("; the study open before, \"%1\", could not be "
                                               "opened again either: %2")
                                    .arg(previous, back.error().text());
        }
        return result;
    }
    // The settings kept in the study (estimation options, ĉ) read from the new file; a new
    // file gets their defaults, as at the start.
    RivuletSettings::instance().writeMissingDefaults();
    return result;
}

StartupResult AppStartup::run(const StartupOptions& options)
{
    StartupResult result;
    setIdentity();
    RivuletSettings& settings = RivuletSettings::instance();
    RivuletDb& db = RivuletDb::instance();

    const bool overridden = !options.databasePath.isEmpty();
    if (overridden) {
        if (prepareOverride(options.databasePath, result).isEmpty())
            return result;
    } else {
        const lum::Expected<QString> path = settings.studyDatabasePath();
        if (path)
            result.databasePath = *path;
        else
            result.error = path.error().text();
    }
    result.newDatabase = !QFileInfo::exists(result.databasePath);

    // A new or unusable per-user database starts from default settings. A
    // file named on the command line belongs to a scripted run and must not
    // reset the user's settings.
    if (!overridden && !lum::DbManager::isValidDatabase(result.databasePath))
        settings.restoreDefaults(false);

    const bool opened = openDatabase(db, result);
    if (!opened && overridden)
        return result;

    settings.addDatabaseSettings(db.database(), db.model(RivuletDb::Settings));
    settings.setValue(RivuletSettings::CleanExit, false);
    settings.setCountsFileInput(hasCountsFileSwitch(options.arguments));
    settings.sync();
    return result;
}

} // namespace rivulet

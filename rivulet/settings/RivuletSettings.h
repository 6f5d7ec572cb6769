#pragma once

#include "lum/core/Expected.h"
#include "lum/settings/LumSettings.h"

#include <QByteArray>
#include <QDate>

namespace lum {
class DbModel;
class SqliteDb;
} // namespace lum

namespace rivulet {

// The application's settings: one instance per process (instance()), which
// registers every key with its stored name and default. Most keys live in
// the per-user store; after the database is open, addDatabaseSettings moves
// the estimation keys into the database so that they travel with the data.
//
//     auto& settings = rivulet::RivuletSettings::instance();
//     const int decimals = settings.estimatePrecision();
//     settings.setPreviousFolder(folder);
class RivuletSettings : public lum::LumSettings
{
    Q_OBJECT

public:
    // Key numbers; the stored names are in the constructor.
    enum Key
    {
        CleanExit = 0,
        CurrentDatasetId = 1,
        DiagDir = 3,
        DbName = 6,
        DbVersion = 7,
        EstimationEndingCriterion = 8,
        GeomMainWindow = 9,
        Optimizer = 10,
        OptimizerDefault = 11,
        PrecisionEst = 12,
        PrecisionErr = 13,
        PrevFile = 14,
        ProgramName = 15,
        SitesConfigFileName = 16,
        SitesConfigUpdateDate = 17,
        ShowEstimatesOnDiagram = 18,
        CountsFileInput = 19,
        DiagnosticsEnabled = 20,
        UiExpertMode = 21,
        BestModelCriterion = 22,
        // 0: the optimizers take the likelihood's exact gradient; 1: finite differences.
        EstimationGradient = 23,
        // 0: AIC, AICc and the weights count every free parameter; 1: only those the data
        // inform.
        ParameterCount = 24,
        // 0: profile-likelihood intervals for the estimates without a standard error only;
        // 1: for every free parameter.
        ProfileAll = 25,
        // The sites configuration file the user chose; empty for the shared default file.
        SitesConfigChoice = 26,
        // The study's variance inflation factor ĉ (database; values below 1 count as 1).
        Chat = 27,
        // The replicates of the parametric bootstrap of the goodness of fit.
        GofBootstrapReplicates = 28,
        // The docks of the main window as the user left them (QMainWindow::saveState).
        StateMainWindow = 29,
        // The study files opened last, the latest first (at most 8).
        RecentStudies = 30
    };

    static RivuletSettings& instance();

    // Tests may make their own; the program uses instance().
    RivuletSettings();

    // One accessor per setting the program reads, typed, each answering the setting's
    // default (registered in the constructor) while nothing is stored.
    int estimatePrecision() const;
    void setEstimatePrecision(int decimals);
    int errorPrecision() const;
    void setErrorPrecision(int decimals);
    bool expertMode() const;
    void setExpertMode(bool on);
    bool diagnosticsEnabled() const;
    void setDiagnosticsEnabled(bool on);
    bool countsFileInput() const;
    void setCountsFileInput(bool on);
    bool profileAll() const;
    void setProfileAll(bool on);
    // As stored; FitOptions::effectiveChat turns values below 1 into 1.
    double chat() const;
    void setChat(double chat);
    int gofBootstrapReplicates() const;
    void setGofBootstrapReplicates(int replicates);
    // The folder of the last file the user chose or saved; empty before the first.
    QString previousFolder() const;
    void setPreviousFolder(const QString& folder);
    // Makes the folder of `filePath` the previous folder.
    void setPreviousFolderOf(const QString& filePath);
    // The folder of the last saved next-detections file.
    QString diagnosticsFolder() const;
    void setDiagnosticsFolder(const QString& folder);
    QByteArray mainWindowGeometry() const;
    void setMainWindowGeometry(const QByteArray& geometry);
    QByteArray mainWindowState() const;
    void setMainWindowState(const QByteArray& state);
    // The sites configuration file the user chose; empty for the shared default file.
    QString sitesConfigChoice() const;
    void setSitesConfigChoice(const QString& path);
    // The name of the shared default file in sitesConfigDir(); never empty, since an empty
    // name would make the folder itself the file.
    QString sitesConfigFileName() const;
    // The study files opened last, the latest first.
    QStringList recentStudies() const;
    void setRecentStudies(const QStringList& paths);
    // The day the shared file was last checked for updates; null before the first check.
    QDate sitesConfigUpdateDate() const;
    void setSitesConfigUpdateDate(const QDate& day);

    // The per-user study database (the file named by the db_name setting in the application's
    // per-user data folder, which is created if missing).
    lum::Expected<QString> studyDatabasePath();
    // The shared folder of the sites configuration file, created if missing; empty when it
    // cannot be created.
    QString sitesConfigDir();

    // Adds the database store (the connection and the model of its
    // "settings" table) and registers the estimation keys on it; every
    // database opened gets db_version 1.
    void addDatabaseSettings(lum::SqliteDb* db, const lum::DbModel* settingsModel);
};

} // namespace rivulet

#include "rivulet/settings/RivuletSettings.h"

#include "lum/settings/SettingsController.h"

#include <QCoreApplication>
#include <QDir>

namespace rivulet {

RivuletSettings& RivuletSettings::instance()
{
    static RivuletSettings settings;
    return settings;
}

RivuletSettings::RivuletSettings()
{
    addSetting(CleanExit, QStringLiteral("clean_exit"), true);
    addSetting(CurrentDatasetId, QStringLiteral("current_dataset_id"), -1);
    addSetting(DbName, QStringLiteral("db_name"), QStringLiteral("Rivulet.db"));
    addSetting(PrecisionEst, QStringLiteral("precision_est"), 4);
    addSetting(PrecisionErr, QStringLiteral("precision_err"), 4);
    addSetting(GeomMainWindow, QStringLiteral("geom_main_window"), QVariant());
    addSetting(StateMainWindow, QStringLiteral("state_main_window"), QVariant());
    addSetting(PrevFile, QStringLiteral("prev_file"), QVariant());
    addSetting(DiagDir, QStringLiteral("diag_dir"), QVariant());
    addSetting(RecentStudies, QStringLiteral("recent_studies"), QStringList());
    addSetting(ProgramName, QStringLiteral("program_name"), QStringLiteral("Rivulet"));
    addSetting(ShowEstimatesOnDiagram, QStringLiteral("show_estimates_on_diagram"), false);
    addSetting(SitesConfigFileName, QStringLiteral("sites_config_file_name"),
               QStringLiteral("sites_config.txt"));
    addSetting(SitesConfigUpdateDate, QStringLiteral("sites_config_update_date"), QVariant());
    addSetting(SitesConfigChoice, QStringLiteral("sites_config_file"), QString());
    addSetting(CountsFileInput, QStringLiteral("mock_input"), 1);
    addSetting(DiagnosticsEnabled, QStringLiteral("diagnostics_enabled"), false);
    addSetting(UiExpertMode, QStringLiteral("ui_expert_mode"), 0);
    // 0: the best model is the one with the lowest AIC; 1: the lowest AICc.
    addSetting(BestModelCriterion, QStringLiteral("best_model_criterion"), 0);
    addSetting(ParameterCount, QStringLiteral("parameter_count"), 0);
    addSetting(ProfileAll, QStringLiteral("profile_all"), 0);
    addSetting(GofBootstrapReplicates, QStringLiteral("gof_bootstrap_replicates"), 100);
    // The user's folders and recent studies survive a reset of the settings. Number 2 names
    // no key; it is kept for compatibility of the list.
    setPreservedKeys({PrevFile, DiagDir, 2, RecentStudies});
}

int RivuletSettings::estimatePrecision() const
{
    return value(PrecisionEst).toInt();
}
void RivuletSettings::setEstimatePrecision(int decimals)
{
    setValue(PrecisionEst, decimals);
}
int RivuletSettings::errorPrecision() const
{
    return value(PrecisionErr).toInt();
}
void RivuletSettings::setErrorPrecision(int decimals)
{
    setValue(PrecisionErr, decimals);
}
bool RivuletSettings::expertMode() const
{
    return value(UiExpertMode).toBool();
}
void RivuletSettings::setExpertMode(bool on)
{
    setValue(UiExpertMode, on);
}
bool RivuletSettings::diagnosticsEnabled() const
{
    return value(DiagnosticsEnabled).toBool();
}
void RivuletSettings::setDiagnosticsEnabled(bool on)
{
    setValue(DiagnosticsEnabled, on);
}
bool RivuletSettings::countsFileInput() const
{
    return value(CountsFileInput).toBool();
}
void RivuletSettings::setCountsFileInput(bool on)
{
    setValue(CountsFileInput, on);
}
bool RivuletSettings::profileAll() const
{
    return value(ProfileAll).toInt() == 1;
}
void RivuletSettings::setProfileAll(bool on)
{
    setValue(ProfileAll, on ? 1 : 0);
}
double RivuletSettings::chat() const
{
    return value(Chat).toDouble();
}
void RivuletSettings::setChat(double chat)
{
    setValue(Chat, chat);
}
int RivuletSettings::gofBootstrapReplicates() const
{
    return value(GofBootstrapReplicates).toInt();
}
void RivuletSettings::setGofBootstrapReplicates(int replicates)
{
    setValue(GofBootstrapReplicates, replicates);
}
QString RivuletSettings::previousFolder() const
{
    return value(PrevFile).toString();
}
void RivuletSettings::setPreviousFolder(const QString& folder)
{
    setValue(PrevFile, folder);
}
void RivuletSettings::setPreviousFolderOf(const QString& filePath)
{
    setDirectoryOf(PrevFile, filePath);
}
QString RivuletSettings::diagnosticsFolder() const
{
    return value(DiagDir).toString();
}
void RivuletSettings::setDiagnosticsFolder(const QString& folder)
{
    setValue(DiagDir, folder);
}
QByteArray RivuletSettings::mainWindowGeometry() const
{
    return value(GeomMainWindow).toByteArray();
}
void RivuletSettings::setMainWindowGeometry(const QByteArray& geometry)
{
    setValue(GeomMainWindow, geometry);
}
QByteArray RivuletSettings::mainWindowState() const
{
    return value(StateMainWindow).toByteArray();
}
void RivuletSettings::setMainWindowState(const QByteArray& state)
{
    setValue(StateMainWindow, state);
}
QString RivuletSettings::sitesConfigChoice() const
{
    return value(SitesConfigChoice).toString();
}
void RivuletSettings::setSitesConfigChoice(const QString& path)
{
    setValue(SitesConfigChoice, path);
}

QString RivuletSettings::sitesConfigFileName() const
{
    const QString name = value(SitesConfigFileName).toString();
    return name.isEmpty() ? defaultValue(SitesConfigFileName).toString() : name;
}

QStringList RivuletSettings::recentStudies() const
{
    return value(RecentStudies).toStringList();
}
void RivuletSettings::setRecentStudies(const QStringList& paths)
{
    setValue(RecentStudies, paths);
}

QDate RivuletSettings::sitesConfigUpdateDate() const
{
    return QDate::fromString(value(SitesConfigUpdateDate).toString(), Qt::ISODate);
}

void RivuletSettings::setSitesConfigUpdateDate(const QDate& day)
{
    setValue(SitesConfigUpdateDate, day.toString(Qt::ISODate));
}

lum::Expected<QString> RivuletSettings::studyDatabasePath()
{
    const QString folder = userDataDir(QCoreApplication::applicationName());
    if (!QDir().mkpath(folder))
        return lum::Error(lum::JobError::File, QStringLiteral("Unable to create db path."),
                          QString(), folder);
    return QString(folder + QDir::separator() + value(DbName).toString());
}

QString RivuletSettings::sitesConfigDir()
{
    const QString folder = commonDataDir(QStringLiteral("Common"));
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return {};
    return folder;
}

void RivuletSettings::addDatabaseSettings(lum::SqliteDb* db, const lum::DbModel* settingsModel)
{
    addStore(std::make_unique<lum::SettingsController>(db, settingsModel));
    addSetting(EstimationEndingCriterion, QStringLiteral("estimation_ending_criterion"), 0.0001);
    addSetting(Optimizer, QStringLiteral("optimizer"), 0);
    addSetting(OptimizerDefault, QStringLiteral("optimizer_default"), 0);
    addSetting(EstimationGradient, QStringLiteral("estimation_gradient"), 0);
    addSetting(DbVersion, QStringLiteral("db_version"), 1);
    writeMissingDefaults();
    // Registered after the defaults are written: a study keeps no ĉ until one is set.
    addSetting(Chat, QStringLiteral("c_hat"), 1.0);
    // Written only when it changes: a write would make a command that only reads wait for
    // another process's load.
    const QVariant version = storedValue(DbVersion);
    if (!version.isValid() || version.toInt() != defaultValue(DbVersion).toInt())
        setValue(DbVersion, defaultValue(DbVersion));
}

} // namespace rivulet

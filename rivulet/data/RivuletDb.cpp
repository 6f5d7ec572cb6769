#include "rivulet/data/RivuletDb.h"

#include "lum/db/SettingModel.h"
#include "lum/db/SqliteDb.h"
#include "rivulet/data/CohortDbModel.h"
#include "rivulet/data/DerivedDataStore.h"
#include "rivulet/data/ObservationDbModel.h"
#include "rivulet/data/ReleaseDbModel.h"
#include "rivulet/data/SiteDbModel.h"
#include "rivulet/data/TagDbModel.h"
#include "rivulet/data/YearDbModel.h"

#include <memory>

namespace rivulet {

RivuletDb& RivuletDb::instance()
{
    static RivuletDb db;
    return db;
}

int RivuletDb::registerModels()
{
    addModel(Cohorts, std::make_unique<CohortDbModel>());
    addModel(Observations, std::make_unique<ObservationDbModel>());
    addModel(Releases, std::make_unique<ReleaseDbModel>());
    addModel(Settings, std::make_unique<lum::SettingModel>());
    addModel(Sites, std::make_unique<SiteDbModel>());
    addModel(Tags, std::make_unique<TagDbModel>());
    addModel(Years, std::make_unique<YearDbModel>());
    return 1;
}

QStringList RivuletDb::otherTables() const
{
    return {DerivedDataStore::tableName(), fitRunTable(), fittedModelsTable()};
}

QString RivuletDb::fitRunTable()
{
    return QStringLiteral("fit_run");
}

QString RivuletDb::fittedModelsTable()
{
    return QStringLiteral("fitted_models");
}

lum::Expected<void> RivuletDb::createTables()
{
    if (lum::Expected<void> created = lum::DbManager::createTables(); !created)
        return created;
    return watchEdits();
}

lum::Expected<void> RivuletDb::resetTables(const QList<const lum::DbModel*>& keep)
{
    if (lum::Expected<void> reset = lum::DbManager::resetTables(keep); !reset)
        return reset;
    return watchEdits();
}

lum::Expected<void> RivuletDb::watchEdits()
{
    lum::SqliteDb* db = database();
    if (db == nullptr)
        return lum::databaseNotOpen();
    lum::Expected<void> watched = DerivedDataStore::watchEdits(
        *db, {model(Observations)->tableName(), model(Tags)->tableName()});
    if (!watched) {
        lum::Error error = watched.error();
        error.where = DerivedDataStore::tableName();
        return error;
    }
    return {};
}

} // namespace rivulet

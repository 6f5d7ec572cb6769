#pragma once

#include "lum/db/DbManager.h"

namespace rivulet {

// The application's database: the seven tables of a study. One instance serves the whole
// process; it is created, unopened, on the first call of instance().
//
//     RivuletDb& rdb = RivuletDb::instance();
//     lum::SqliteDb* db = rdb.database();            // operations run on the calling thread's
//                                                    // own connection to the file
//     const lum::DbModel* sites = rdb.model(RivuletDb::Sites);
//     lum::TableData rows(*db, sites->selectSql({SiteDbModel::Sequence}));
class RivuletDb : public lum::DbManager
{
public:
    // Table identifiers; tables are created in this order.
    enum Table
    {
        Cohorts = 0,
        Observations = 1,
        Releases = 2,
        Settings = 3,
        Sites = 4,
        Tags = 5,
        Years = 6,
        NumTables = 7
    };

    static RivuletDb& instance();

    // Tests may make their own managers; the program uses instance().
    RivuletDb() = default;

    // Registers the seven table models; returns 1.
    int registerModels() override;

    // "Rivu": a file with another id, a newer schema or tables of another program is refused
    // before anything is written to it.
    static constexpr qint32 fileId = 0x52697675;
    static constexpr int fileSchema = 1;
    qint32 applicationId() const override { return fileId; }
    int schemaVersion() const override { return fileSchema; }
    QStringList otherTables() const override;
    // The tables that keep the study's fitted models (StoredFits): made on the first save, so
    // that a file written before fits were kept simply has none.
    static QString fitRunTable();
    static QString fittedModelsTable();
    lum::Expected<void> createTables() override;
    lum::Expected<void> resetTables(const QList<const lum::DbModel*>& keep) override;

    // Watches the detections and tags, whose edits in place the stored derived counts must
    // see (DerivedDataStore::watchEdits). A database error when the database refused.
    lum::Expected<void> watchEdits();
};

} // namespace rivulet

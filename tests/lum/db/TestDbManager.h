#pragma once

#include "lum/db/DbManager.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/StatementBinder.h"
#include "lum/db/TableData.h"

#include <QFile>
#include <QStringList>

#include <memory>

namespace lum::test {

// Table "items" (id, name, qty), or another of that shape: indexed on id and name.
class ItemModel : public DbModel
{
public:
    enum Column
    {
        Id = 0,
        Name,
        Qty
    };
    explicit ItemModel(const QString& table = QStringLiteral("items")) : DbModel(table, 3)
    {
        static const char* const names[] = {"id", "name", "qty"};
        static const char* const types[] = {"INTEGER PRIMARY KEY AUTOINCREMENT", "TEXT", "INTEGER"};
        setColumns(3, names, types);
    }
    QList<int> indexColumns() const override { return {Id, Name}; }
    void afterReset() override { ++resets; }
    int resets = 0;
};

class TestDbManager : public DbManager
{
public:
    enum Table
    {
        Items = 0,
        Notes = 1
    };
    int registerModels() override
    {
        addModel(Items, std::make_unique<ItemModel>());
        addModel(Notes, std::make_unique<ItemModel>(QStringLiteral("notes")));
        return 1;
    }
    ItemModel& items() const { return static_cast<ItemModel&>(*model(Items)); }
    ItemModel& notes() const { return static_cast<ItemModel&>(*model(Notes)); }
};

// Names of the indexes the program made (SQLite's automatic ones left out), sorted.
inline QStringList indexNames(const SqliteDb& db)
{
    const TableData rows(
        db,
        "SELECT name FROM sqlite_master WHERE type = 'index' AND substr(name, 1, 4) = ? "
        "ORDER BY name",
        {QStringLiteral("idx_")});
    QStringList names;
    for (int r = 0; r < rows.numRows(); ++r)
        names << rows.stringValue(r, 0);
    return names;
}

// Inserts a row of "items" through a prepared statement.
inline Expected<void> insertItem(SqliteDb& db, const ItemModel& items, const QString& name, int qty)
{
    SqlStatement insert(db);
    if (Expected<void> prepared = db.prepareInsert(items, insert); !prepared)
        return prepared;
    StatementBinder binder(insert);
    binder.bind(1, name);
    binder.bind(2, qty);
    return insert.step();
}

inline int countRows(const SqliteDb& db, const QString& table)
{
    return TableData(db, "SELECT COUNT(*) FROM " + table).intValue(0, 0);
}

inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace lum::test

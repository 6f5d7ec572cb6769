#pragma once

namespace lum {

class DbModel;
class SqliteDb;

// Base of objects that keep their data in one table of the database. Borrows the database and
// the table's model; frees neither.
class DbController
{
public:
    DbController(SqliteDb* db, const DbModel* model) : m_db(db), m_model(model) {}
    virtual ~DbController() = default;
    DbController(const DbController&) = delete;
    DbController& operator=(const DbController&) = delete;

    SqliteDb* database() const { return m_db; }
    const DbModel* model() const { return m_model; }

private:
    SqliteDb* m_db = nullptr;
    const DbModel* m_model = nullptr;
};

} // namespace lum

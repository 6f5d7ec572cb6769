#include "lum/settings/SettingsController.h"

#include "lum/db/DbTransaction.h"
#include "lum/db/SettingModel.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/SqliteDb.h"
#include "lum/db/StatementBinder.h"
#include "lum/db/TableData.h"

namespace lum {

namespace {

// A LIKE pattern that matches `text` literally; used with ESCAPE '\'.
QString likeLiteral(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('%'), QLatin1String("\\%"));
    text.replace(QLatin1Char('_'), QLatin1String("\\_"));
    return text;
}

QString storedText(const QVariant& value)
{
    if (value.type() == QVariant::ByteArray)
        return QString::fromUtf8(value.toByteArray());
    return value.toString();
}

} // namespace

SettingsController::SettingsController(SqliteDb* db, const DbModel* model) : DbController(db, model)
{
}

QString SettingsController::fullName(const QString& name, bool arrayMode) const
{
    return arrayMode ? m_prefix + QLatin1Char('_') + name : name;
}

QString SettingsController::column(int i) const
{
    return model()->columnName(i);
}

void SettingsController::setValue(const QString& name, const QVariant& value)
{
    SqliteDb* db = database();
    if (!db || !model())
        return;
    const QString key = fullName(name, m_writeArrayMode);
    // Delete and insert as one change, so a failed insert cannot lose the
    // old value. Inside a caller's transaction the statements join it.
    DbTransaction transaction(*db);
    const QString deleteSql = model()->deleteSql(column(SettingModel::Key) + " = ? AND " +
                                                 column(SettingModel::Position) + " = ?");
    if (!db->exec(deleteSql, {key, m_arrayIndex}))
        return;
    SqlStatement insert(*db);
    if (!db->prepareInsert(*model(), insert))
        return;
    StatementBinder binder(insert);
    binder.bind(1, key);
    binder.bind(2, m_arrayIndex);
    binder.bind(3, storedText(value));
    if (!insert.step())
        return;
    // Settings are written as QSettings writes them: a value that cannot be stored is lost.
    if (transaction.isActive())
        (void)transaction.commit();
}

QVariant SettingsController::value(const QString& name, const QVariant& defaultValue) const
{
    const SqliteDb* db = database();
    if (!db || !model())
        return defaultValue;
    const QString sql = "SELECT " + column(SettingModel::Value) + " FROM " + model()->tableName() +
                        " WHERE " + column(SettingModel::Key) + " = ? AND " +
                        column(SettingModel::Position) + " = ?";
    const TableData rows(*db, sql, {fullName(name, m_readArrayMode), m_arrayIndex});
    if (rows.numRows() == 0)
        return defaultValue;
    return rows.stringValue(0, 0);
}

int SettingsController::beginReadArray(const QString& prefix)
{
    m_prefix = prefix;
    m_readArrayMode = true;
    const SqliteDb* db = database();
    if (!db || !model())
        return 0;
    const QString sql = "SELECT COUNT (DISTINCT " + column(SettingModel::Position) + ") FROM " +
                        model()->tableName() + " WHERE " + column(SettingModel::Key) +
                        " LIKE ? ESCAPE '\\'";
    const TableData rows(*db, sql, {QString(likeLiteral(prefix) + "\\_%")});
    return rows.numRows() == 0 ? 0 : rows.intValue(0, 0);
}

void SettingsController::beginWriteArray(const QString& prefix, int /*size*/)
{
    m_prefix = prefix;
    m_writeArrayMode = true;
}

void SettingsController::setArrayIndex(int i)
{
    m_arrayIndex = i;
}

void SettingsController::endArray()
{
    m_readArrayMode = false;
    m_writeArrayMode = false;
    m_arrayIndex = 0;
}

void SettingsController::remove(const QString& name)
{
    SqliteDb* db = database();
    if (!db || !model())
        return;
    (void)db->exec(model()->deleteSql(column(SettingModel::Key) + " LIKE ? ESCAPE '\\'"),
                   {likeLiteral(name)});
}

} // namespace lum

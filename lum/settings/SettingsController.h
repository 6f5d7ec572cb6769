#pragma once

#include "lum/db/DbController.h"
#include "lum/settings/LumSettingsProxy.h"

namespace lum {

// The settings store inside the open database: table "settings" with one
// row (key, position, value) per value. A plain key is one row at position
// 0; element i of an array "prefix" is the row (prefix + "_" + name, i).
// Values come back as text; callers convert. Store errors are not
// reported: a failed write leaves the old value.
class SettingsController : public DbController, public LumSettingsProxy
{
public:
    // Borrows the database and the model of its settings table.
    SettingsController(SqliteDb* db, const DbModel* model);

    void setValue(const QString& name, const QVariant& value) override;
    QVariant value(const QString& name, const QVariant& defaultValue) const override;
    int beginReadArray(const QString& prefix) override;
    void beginWriteArray(const QString& prefix, int size) override;
    void setArrayIndex(int i) override;
    void endArray() override;
    void remove(const QString& name) override;

private:
    QString fullName(const QString& name, bool arrayMode) const;
    QString column(int i) const;

    bool m_writeArrayMode = false;
    QString m_prefix;
    bool m_readArrayMode = false;
    int m_arrayIndex = 0;
};

} // namespace lum

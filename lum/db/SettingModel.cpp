#include "lum/db/SettingModel.h"

namespace lum {

namespace {
const char* const names[] = {"id", "key", "position", "value"};
const char* const types[] = {"INTEGER PRIMARY KEY AUTOINCREMENT", "TEXT", "INTEGER", "TEXT"};
} // namespace

SettingModel::SettingModel(QObject* parent)
    : DbModel(QStringLiteral("settings"), NumColumns, parent)
{
    setColumns(NumColumns, names, types);
}

int SettingModel::modelKind() const
{
    return Kind;
}

} // namespace lum

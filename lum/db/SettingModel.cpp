#include "lum/db/SettingModel.h"

namespace lum {

namespace {
const char* const settingColumns[] = {"id", "key", "position", "value"};
const char* const settingTypes[] = {"INTEGER PRIMARY KEY AUTOINCREMENT", "TEXT", "INTEGER", "TEXT"};
} // namespace

SettingModel::SettingModel(QObject* parent)
    : DbModel(QStringLiteral("settings"), NumColumns, parent)
{
    setColumns(NumColumns, settingColumns, settingTypes);
}

int SettingModel::modelKind() const
{
    return Kind;
}

} // namespace lum

#include "cli/InfoCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "lum/db/TableData.h"
#include "lum/settings/SettingsController.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/settings/RivuletSettings.h"

#include <QVariant>

namespace rivulet::cli {

namespace {

QString shownValue(const QVariant& value)
{
    if (!value.isValid())
        return QStringLiteral("(none)");
    if (value.type() == QVariant::ByteArray)
        return QStringLiteral("(%1 bytes)").arg(value.toByteArray().size());
    return value.toString();
}

QString storeName(const RivuletSettings& settings, int key)
{
    const bool inDatabase = dynamic_cast<const lum::SettingsController*>(settings.storeFor(key));
    return inDatabase ? QStringLiteral("database") : QStringLiteral("per-user");
}

// Prints the tables of the file with their row counts; false when a count
// failed.
bool printTables(CliOutput& out, const lum::SqliteDb& db)
{
    bool ok = true;
    out.status(QStringLiteral("Tables:"));
    for (const QString& table : db.tables(0)) {
        const lum::TableData count(db, "SELECT COUNT(*) FROM `" + table + "`");
        const lum::Expected<void> counted = count.result();
        if (!counted || count.numRows() != 1) {
            out.error(QStringLiteral("Unable to count the rows of table \"%1\": %2")
                          .arg(table, counted ? QString() : counted.error().text()));
            ok = false;
            continue;
        }
        const int rows = count.intValue(0, 0);
        out.status(QStringLiteral("  %1 %2 %3")
                       .arg(table, -16)
                       .arg(rows)
                       .arg(rows == 1 ? QStringLiteral("row") : QStringLiteral("rows")));
    }
    return ok;
}

void printSettings(CliOutput& out, const RivuletSettings& settings)
{
    out.status(QStringLiteral("Settings:"));
    for (int key : settings.keys()) {
        out.status(QStringLiteral("  %1 %2 %3 %4")
                       .arg(key, 2)
                       .arg(settings.name(key), -28)
                       .arg(shownValue(settings.value(key)), -18)
                       .arg(storeName(settings, key)));
    }
}

} // namespace

int InfoCommand::run(CliContext& context, const QStringList& arguments)
{
    if (!arguments.isEmpty()) {
        context.out().error(QStringLiteral("info takes no arguments"));
        return ExitUsage;
    }
    if (!context.openDatabase())
        return ExitFailure;
    CliOutput& out = context.out();
    out.status(QStringLiteral("Database: %1").arg(context.startup().databasePath));
    const bool tablesOk = printTables(out, *RivuletDb::instance().database());
    printSettings(out, RivuletSettings::instance());
    return tablesOk ? ExitSuccess : ExitFailure;
}

} // namespace rivulet::cli

#include "cli/CommandTable.h"

#include "cli/InfoCommand.h"
#include "cli/LoadAgesCommand.h"
#include "cli/LoadObservationsCommand.h"

namespace rivulet::cli {

namespace {
template <typename Command>
std::unique_ptr<CliCommand> make()
{
    return std::make_unique<Command>();
}
} // namespace

const std::vector<CommandEntry>& CommandTable::entries()
{
    static const std::vector<CommandEntry> table = {
        {"info", "",
         "open (or create) the database; print its path, its tables with their row counts and "
         "every setting with its value and store",
         &make<InfoCommand>},
        {"load-observations", "FILE",
         "load an observation export (CSV) as the study of the database, replacing the "
         "previous one; prints what was stored",
         &make<LoadObservationsCommand>},
        {"load-ages", "FILE",
         "assign the loaded tags to cohorts from an age data file (tag,cohort or "
         "tag,year,age)",
         &make<LoadAgesCommand>},
    };
    return table;
}

const CommandEntry* CommandTable::find(const QString& name)
{
    for (const CommandEntry& entry : entries()) {
        if (name == QLatin1String(entry.name))
            return &entry;
    }
    return nullptr;
}

} // namespace rivulet::cli

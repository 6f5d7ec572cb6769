#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "info": opens (or creates) the database and prints its path, its tables
// with their row counts and every registered setting with its value and
// the store that holds it.
class InfoCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli

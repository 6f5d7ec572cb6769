#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "models": the model catalogue of the current data set: its data class, every capture
// heading with its models (name and description) and whether "Fit All Models" fits each.
class ModelsCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli

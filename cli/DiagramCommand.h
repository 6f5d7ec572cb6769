#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "diagram [--model NAME] [--release LABEL] --png FILE": fits the model (or every model of the
// fit list, taking the one with the lowest AIC) and writes the estimates diagram of the release
// (the first one by default) as a PNG picture, drawn as the "Graphical Results" window draws it.
class DiagramCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli

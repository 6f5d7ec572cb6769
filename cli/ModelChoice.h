#pragma once

#include <QString>

namespace rivulet {
class Study;
}

namespace rivulet::cli {

class CliContext;

// The fitted model a command draws from: `name` fitted alone, or the fit list with the best
// model by AIC when `name` is empty; a fit kept with the study is used instead when it has one.
// `model` is its position in the study's results; otherwise `exitCode` says how the command ends
// (the reason is on the terminal already).
struct ChosenModel
{
    int model = -1;
    int exitCode = 0;
};
ChosenModel fitChosenModel(CliContext& context, Study& study, const QString& name);

} // namespace rivulet::cli

#pragma once

#include "lum/core/Expected.h"

#include <QString>

#include <functional>

namespace rivulet {
class Study;
class StudyConfiguration;
} // namespace rivulet

namespace rivulet::cli {

class CliContext;

// The shape every configuration command shares with the configuration windows: bring the
// study up to date (so positions are current), make one change through StudyConfiguration,
// and derive the detection sequences again. When `edit` fails (the change refused, or not
// written), its error is reported after the command's name and nothing is derived.
//
// Returns the command's exit code. A counts-file study (--counts) cannot be configured.
int runConfigurationEdit(CliContext& context, const QString& command,
                         const std::function<lum::Expected<void>(StudyConfiguration&)>& edit);

// The updated database study for a listing; null, after reporting why, when there is none or
// it is a counts file.
Study* configurableStudy(CliContext& context, const QString& command);

} // namespace rivulet::cli

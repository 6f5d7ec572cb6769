#include "cli/ConfigurationEdit.h"

#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "rivulet/study/Study.h"
#include "rivulet/study/StudyConfiguration.h"

namespace rivulet::cli {

Study* configurableStudy(CliContext& context, const QString& command)
{
    if (!context.options().mockFile.isEmpty()) {
        context.out().error(
            QStringLiteral("%1: the data set of a counts file cannot be configured").arg(command));
        return nullptr;
    }
    return context.updatedStudy();
}

int runConfigurationEdit(CliContext& context, const QString& command,
                         const std::function<bool(StudyConfiguration&)>& edit)
{
    Study* study = configurableStudy(context, command);
    if (!study)
        return ExitFailure;
    StudyConfiguration configuration(*study);
    if (!edit(configuration))
        return ExitFailure;
    // The detection sequences, counts and summary follow the new configuration.
    return context.updatedStudy() ? ExitSuccess : ExitFailure;
}

} // namespace rivulet::cli

#include "cli/ReleasesCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/ConfigurationEdit.h"
#include "rivulet/study/Study.h"
#include "rivulet/study/StudyConfiguration.h"

namespace rivulet::cli {

namespace {

int releasesUsage(CliContext& context, const QString& text)
{
    context.out().error(text);
    return ExitUsage;
}

} // namespace

int ReleasesCommand::run(CliContext& context, const QStringList& arguments)
{
    if (arguments.isEmpty()) {
        Study* study = configurableStudy(context, QStringLiteral("releases"));
        if (!study)
            return ExitFailure;
        for (const auto& release : StudyConfiguration(*study).releaseStates()) {
            context.out().print(
                QStringLiteral("%1 %2\n")
                    .arg(release.label, -24)
                    .arg(release.active ? QStringLiteral("included") : QStringLiteral("excluded")));
        }
        return ExitSuccess;
    }
    const QString action = arguments.first();
    const bool include = action == QLatin1String("include");
    if ((!include && action != QLatin1String("exclude")) || arguments.size() < 2)
        return releasesUsage(context,
                             QStringLiteral("releases takes no arguments, \"include LABEL\" or "
                                            "\"exclude LABEL\""));
    // A label has a blank between site and year; accept it quoted or as two words.
    const QString label = arguments.mid(1).join(QLatin1Char(' '));
    return runConfigurationEdit(
        context, QStringLiteral("releases"), [&label, include](StudyConfiguration& c) {
            return include ? c.includeRelease(label) : c.excludeRelease(label);
        });
}

int CohortCommand::run(CliContext& context, const QStringList& arguments)
{
    if (arguments.isEmpty()) {
        Study* study = configurableStudy(context, QStringLiteral("cohort"));
        if (!study)
            return ExitFailure;
        const StudyConfiguration configuration(*study);
        const int active = configuration.activeCohortNumber();
        for (int number : configuration.cohortNumbers()) {
            context.out().print(QStringLiteral("%1%2\n").arg(number).arg(
                number == active ? QStringLiteral(" selected") : QString()));
        }
        if (active == 0)
            context.out().print(QStringLiteral("all cohorts\n"));
        return ExitSuccess;
    }
    if (arguments.size() != 1)
        return releasesUsage(context, QStringLiteral("cohort takes one NUMBER or \"all\""));
    const QString choice = arguments.first();
    if (choice == QLatin1String("all")) {
        return runConfigurationEdit(context, QStringLiteral("cohort"),
                                    [](StudyConfiguration& c) { return c.clearCohort(); });
    }
    bool ok = false;
    const int number = choice.toInt(&ok);
    if (!ok)
        return releasesUsage(context, QStringLiteral("cohort: \"%1\" is not a number").arg(choice));
    return runConfigurationEdit(context, QStringLiteral("cohort"),
                                [number](StudyConfiguration& c) { return c.setCohort(number); });
}

} // namespace rivulet::cli

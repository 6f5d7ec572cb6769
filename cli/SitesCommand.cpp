#include "cli/SitesCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/ConfigurationEdit.h"
#include "rivulet/data/YearsController.h"
#include "rivulet/study/Study.h"
#include "rivulet/study/StudyConfiguration.h"

namespace rivulet::cli {

namespace {

QString stateText(const StudyConfiguration::SiteState& site)
{
    if (site.activePosition < 0)
        return QStringLiteral("removed");
    QString text = QStringLiteral("position %1").arg(site.activePosition);
    if (site.merged)
        text += QStringLiteral(", merged into the last site");
    if (site.releaseSite)
        text += QStringLiteral(", release site");
    return text;
}

int listSites(CliContext& context)
{
    Study* study = configurableStudy(context, QStringLiteral("sites"));
    if (!study)
        return ExitFailure;
    const StudyConfiguration configuration(*study);
    for (const StudyConfiguration::SiteState& site : configuration.siteStates()) {
        context.out().print(QStringLiteral("%1 %2 %3\n")
                                .arg(site.code, -12)
                                .arg(site.shortName, -12)
                                .arg(stateText(site)));
    }
    return ExitSuccess;
}

lum::Error refusal(const QString& text)
{
    return lum::Error(lum::JobError::Input, text);
}

int sitesUsage(CliContext& context, const QString& text)
{
    context.out().error(text);
    return ExitUsage;
}

} // namespace

int SitesCommand::run(CliContext& context, const QStringList& arguments)
{
    if (arguments.isEmpty())
        return listSites(context);
    const QString action = arguments.first();
    if (action == QLatin1String("reset")) {
        if (arguments.size() != 1)
            return sitesUsage(context, QStringLiteral("sites reset takes no arguments"));
        return runConfigurationEdit(context, QStringLiteral("sites"),
                                    [](StudyConfiguration& c) { return c.reset(); });
    }
    if (action != QLatin1String("remove") && action != QLatin1String("last"))
        return sitesUsage(context, QStringLiteral("sites: unknown action \"%1\"").arg(action));
    if (arguments.size() != 2)
        return sitesUsage(context, QStringLiteral("sites %1 takes one site code").arg(action));
    const QString code = arguments.at(1);
    const bool remove = action == QLatin1String("remove");
    return runConfigurationEdit(
        context, QStringLiteral("sites"),
        [&code, remove](StudyConfiguration& c) -> lum::Expected<void> {
            // Refusals name the site as the user typed it.
            const int position = c.sitePosition(code);
            if (position < 0)
                return refusal(QStringLiteral("No active site \"%1\"").arg(code));
            if (c.isReleaseSite(position))
                return refusal(
                    QStringLiteral("%1 is a release site and cannot be changed").arg(code));
            if (remove)
                return c.removeSite(position);
            if (!c.canMakeLastSite(position))
                return refusal(
                    QStringLiteral("%1 cannot be the last site: it is the first detection site")
                        .arg(code));
            return c.setLastSite(position);
        });
}

int YearsCommand::run(CliContext& context, const QStringList& arguments)
{
    if (arguments.isEmpty()) {
        Study* study = configurableStudy(context, QStringLiteral("years"));
        if (!study)
            return ExitFailure;
        const YearsController& years = *study->databaseYears();
        const QList<int> active = years.ids();
        for (int i = 0; i < years.allIds().size(); ++i) {
            const int position = active.indexOf(years.allIds().at(i));
            context.out().print(QStringLiteral("%1 %2\n")
                                    .arg(years.allYears().at(i))
                                    .arg(position < 0
                                             ? QStringLiteral("removed")
                                             : QStringLiteral("position %1").arg(position)));
        }
        return ExitSuccess;
    }
    if (arguments.size() != 2 || arguments.first() != QLatin1String("remove"))
        return sitesUsage(context, QStringLiteral("years takes no arguments or \"remove YEAR\""));
    const QString year = arguments.at(1);
    return runConfigurationEdit(
        context, QStringLiteral("years"), [&year](StudyConfiguration& c) -> lum::Expected<void> {
            const int position = c.yearPosition(year);
            if (position < 0)
                return refusal(QStringLiteral("No active year \"%1\"").arg(year));
            if (!c.canRemoveYear(position))
                return refusal(
                    QStringLiteral("%1 is a release year and cannot be removed").arg(year));
            return c.removeYear(position);
        });
}

} // namespace rivulet::cli

#include "cli/UpdateCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/study/Study.h"
#include "rivulet/summary/ReleaseSummary.h"

namespace rivulet::cli {

namespace {

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

void printReleases(CliOutput& out, const Study& study)
{
    const ReleasesControllerI& releases = study.releases();
    const QList<int> ids = releases.ids();
    const QStringList labels = releases.labels();
    out.status(QStringLiteral("Releases: %1").arg(ids.size()));
    for (int i = 0; i < ids.size(); ++i) {
        out.status(QStringLiteral("  %1 %2 fish")
                       .arg(labels.value(i), -24)
                       .arg(study.fishCount(ReleaseId{ids.at(i)}), 8));
    }
}

void printSites(CliOutput& out, const SitesControllerI& sites)
{
    const QStringList shortNames = sites.shortNames();
    const QStringList longNames = sites.longNames();
    out.status(QStringLiteral("Sites: %1").arg(sites.count()));
    for (int s = 0; s < sites.count(); ++s) {
        out.status(QStringLiteral("  %1 %2 %3")
                       .arg(s, 3)
                       .arg(shortNames.value(s), -24)
                       .arg(longNames.value(s)));
    }
}

void printYears(CliOutput& out, const YearsControllerI& years)
{
    out.status(QStringLiteral("Years: %1").arg(years.count()));
    const QStringList labels = years.yearLabels();
    if (!labels.isEmpty())
        out.status(QStringLiteral("  ") + labels.join(QLatin1Char(' ')));
}

void printIndicators(CliOutput& out, const ReleaseSummary& summary)
{
    out.status(QStringLiteral("Data class: %1").arg(dataClassNumber(summary.dataClass())));
    out.status(
        QStringLiteral("Each release estimable: %1").arg(yesNo(summary.eachReleaseEstimable())));
    out.status(
        QStringLiteral("First group estimable: %1").arg(yesNo(summary.firstGroupEstimable())));
    out.status(
        QStringLiteral("Second group estimable: %1").arg(yesNo(summary.secondGroupEstimable())));
    out.status(QStringLiteral("Pooled estimable: %1").arg(yesNo(summary.pooledEstimable())));
}

} // namespace

int UpdateCommand::run(CliContext& context, const QStringList& arguments)
{
    if (!arguments.isEmpty()) {
        context.out().error(QStringLiteral("update takes no arguments"));
        return ExitUsage;
    }
    const Study* study = context.updatedStudy();
    if (!study)
        return ExitFailure;
    CliOutput& out = context.out();
    printReleases(out, *study);
    printSites(out, study->sites());
    printYears(out, study->years());
    printIndicators(out, study->summary());
    return ExitSuccess;
}

} // namespace rivulet::cli

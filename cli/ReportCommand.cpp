#include "cli/ReportCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/FileOption.h"
#include "cli/ReportText.h"
#include "cli/StudyContext.h"
#include "lum/report/ReportWriter.h"
#include "rivulet/reports/ReleaseSummaryReport.h"

namespace rivulet::cli {

namespace {

int usageError(CliOutput& out, const QString& message)
{
    out.error(message);
    out.error(QStringLiteral("usage: rivulet-cli report releases [--html FILE]"));
    return ExitUsage;
}

} // namespace

int ReportCommand::run(CliContext& context, const QStringList& arguments)
{
    CliOutput& out = context.out();
    if (arguments.isEmpty())
        return usageError(out, QStringLiteral("report needs the name of a report"));
    if (arguments.first() != QLatin1String("releases"))
        return usageError(out, QStringLiteral("unknown report \"%1\"").arg(arguments.first()));
    FileOption html(QStringLiteral("html"));
    if (!html.parse(arguments.mid(1), out, QStringLiteral("report releases")))
        return ExitUsage;

    StudyContext study(context);
    if (!study.open())
        return ExitFailure;
    ReleaseSummaryReport report(study.releases(), study.sites(), study.years(),
                                study.nextDetections());
    report.run();
    if (html.path().isEmpty()) {
        out.print(ReportText::fromHtml(report.html()));
        return ExitSuccess;
    }
    lum::ReportWriter writer;
    if (!writer.writeHtml(html.path(), report.html())) {
        out.error(writer.reason().isEmpty()
                      ? writer.errorString()
                      : writer.errorString() + QLatin1Char(' ') + writer.reason());
        return ExitFailure;
    }
    out.status(lum::ReportWriter::createdMessage(html.path()));
    return ExitSuccess;
}

} // namespace rivulet::cli

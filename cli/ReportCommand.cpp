#include "cli/ReportCommand.h"

#include "cli/ArgumentParser.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/ReportText.h"
#include "lum/report/ReportWriter.h"
#include "rivulet/reports/ReleaseSummaryReport.h"
#include "rivulet/study/Study.h"

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
    ArgumentParser parser(QStringLiteral("report releases"));
    parser.addOption(QStringLiteral("html"), QStringLiteral("FILE"));
    if (!parser.parse(arguments.mid(1)))
        return usageError(out, parser.error());
    if (!parser.positionalArguments().isEmpty()) {
        return usageError(out, QStringLiteral("report releases does not take \"%1\"")
                                   .arg(parser.positionalArguments().first()));
    }
    const QString path = parser.value(QStringLiteral("html"));

    const Study* study = context.updatedStudy();
    if (!study)
        return ExitFailure;
    ReleaseSummaryReport report(study->releases(), study->sites(), study->years(),
                                study->nextDetections());
    report.run();
    if (path.isEmpty()) {
        out.print(ReportText::fromHtml(report.html()));
        return ExitSuccess;
    }
    if (path == QLatin1String("-")) {
        out.print(report.html());
        return ExitSuccess;
    }
    if (const lum::Expected<void> written = lum::ReportWriter().writeHtml(path, report.html());
        !written) {
        const lum::Error& error = written.error();
        out.error(error.reason.isEmpty() ? error.message : error.text() + CliOutput::outputHint);
        return ExitFailure;
    }
    out.status(lum::ReportWriter::createdMessage(path));
    return ExitSuccess;
}

} // namespace rivulet::cli

#include "cli/DiagramCommand.h"

#include "cli/ArgumentParser.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/ModelChoice.h"
#include "cli/TerminalTracker.h"
#include "lum/core/FileReplacer.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/diagram/ReleaseEstimates.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/settings/RivuletSettings.h"
#include "rivulet/study/Study.h"

#include <QBuffer>

namespace rivulet::cli {

namespace {

int diagramUsage(CliOutput& out, const QString& text)
{
    out.error(text);
    out.error(
        QStringLiteral("usage: rivulet-cli diagram [--model NAME] [--release LABEL] --png FILE"));
    return ExitUsage;
}

} // namespace

int DiagramCommand::run(CliContext& context, const QStringList& arguments)
{
    CliOutput& out = context.out();
    ArgumentParser parser(QStringLiteral("diagram"));
    parser.addOption(QStringLiteral("model"), QStringLiteral("NAME"), ArgumentParser::LastWins);
    parser.addOption(QStringLiteral("release"), QStringLiteral("LABEL"), ArgumentParser::LastWins);
    parser.addOption(QStringLiteral("png"), QStringLiteral("FILE"), ArgumentParser::LastWins);
    if (!parser.parse(arguments))
        return diagramUsage(out, parser.error());
    if (!parser.positionalArguments().isEmpty())
        return diagramUsage(out, QStringLiteral("diagram does not take \"%1\"")
                                     .arg(parser.positionalArguments().first()));
    const QString png = parser.value(QStringLiteral("png"));
    if (png.isEmpty())
        return diagramUsage(out, QStringLiteral("diagram needs --png FILE"));

    Study* study = context.updatedStudy();
    if (!study || !context.openDatabase())
        return ExitFailure;
    const QStringList labels = study->releases().labels();
    const QString releaseLabel = parser.value(QStringLiteral("release"));
    const int release = releaseLabel.isEmpty() ? 0 : labels.indexOf(releaseLabel);
    if (release < 0 || release >= labels.size()) {
        out.error(QStringLiteral("No release \"%1\"; the releases are: %2")
                      .arg(releaseLabel, labels.join(QStringLiteral(", "))));
        return ExitUsage;
    }
    const ChosenModel chosen =
        fitChosenModel(context, *study, parser.value(QStringLiteral("model")));
    if (chosen.model < 0)
        return chosen.exitCode;
    const ModelCatalogue& catalogue = study->catalogue();
    const EstimationResults& results = study->results();
    const ModelResult& result = results.result(chosen.model);

    const QStringList sites = study->sites().shortNames();
    const QStringList years = study->years().yearLabels();
    const ReleaseEstimates estimates(study->summary(), ReleasePos{release}, &result, sites, years,
                                     RivuletSettings::instance().estimatePrecision(),
                                     RivuletSettings::instance().errorPrecision());
    DiagramPicture picture(sites, years);
    picture.setTitle(labels.at(release) + QStringLiteral(" - ") +
                     ModelCatalogue::modelName(catalogue.dataClass(), result.scheme()));
    for (const DiagramPathSpec& path : estimates.paths())
        picture.addPath(path);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.toImage().save(&buffer, "PNG")) {
        out.error(QStringLiteral("Can't write \"%1\": the picture could not be encoded").arg(png));
        return ExitFailure;
    }
    if (const lum::Expected<void> written = lum::FileReplacer(png).replace(encoded); !written) {
        out.error(QStringLiteral("Can't write \"%1\": %2 Name a regular file.")
                      .arg(png, written.error().reason));
        return ExitFailure;
    }
    out.status(QStringLiteral("Wrote %1").arg(png));
    return ExitSuccess;
}

} // namespace rivulet::cli

// rivulet-sim: writes a simulated PIT-tag study (sites configuration, tag
// history export, ages, true parameter values and, on request, the
// next-detection counts) for testing and demonstrating Rivulet.

#include "tools/sim/StudyDesign.h"
#include "tools/sim/StudySimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <functional>
#include <limits>

using rivulet::sim::StudyDesign;

namespace {

struct NumberOption
{
    QCommandLineOption option;
    std::function<bool(StudyDesign&, const QString&)> apply;
};

template <typename T>
std::function<bool(StudyDesign&, const QString&)> setInt(T StudyDesign::*field)
{
    return [field](StudyDesign& design, const QString& text) {
        bool ok = false;
        const qlonglong value = text.toLongLong(&ok);
        if (!ok || value < 0 ||
            static_cast<quint64>(value) > static_cast<quint64>(std::numeric_limits<T>::max()))
            return false;
        design.*field = static_cast<T>(value);
        return true;
    };
}

std::function<bool(StudyDesign&, const QString&)> setDouble(double StudyDesign::*field)
{
    return [field](StudyDesign& design, const QString& text) {
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (ok)
            design.*field = value;
        return ok;
    };
}

QVector<NumberOption> numberOptions()
{
    return {
        {{"seed", "Seed of the random numbers (same seed, same files).", "n"},
         setInt(&StudyDesign::seed)},
        {{"release-sites", "Number of release sites.", "n"}, setInt(&StudyDesign::releaseSites)},
        {{"release-years", "Number of release years.", "n"}, setInt(&StudyDesign::releaseYears)},
        {{"years", "Number of migration years.", "n"}, setInt(&StudyDesign::years)},
        {{"detection-sites", "Number of detection sites, the final site included.", "n"},
         setInt(&StudyDesign::detectionSites)},
        {{"fish", "Fish per release.", "n"}, setInt(&StudyDesign::fishPerRelease)},
        {{"first-year", "Calendar year of the first release.", "year"},
         setInt(&StudyDesign::firstYear)},
        {{"detection", "Mean detection probability at the dams.", "p"},
         setDouble(&StudyDesign::detection)},
        {{"survival", "Main-stem survival per 100 km.", "p"}, setDouble(&StudyDesign::survival)},
        {{"holdover", "Share of the fish that hold over before the trap.", "p"},
         setDouble(&StudyDesign::holdOver)},
        {{"removal", "Share of detected fish transported at the first dam.", "p"},
         setDouble(&StudyDesign::removal)},
        {{"final-detection", "Detection probability at the final site.", "p"},
         setDouble(&StudyDesign::finalDetection)},
        {{"first-reach-holdover",
          "Share of the fish that hold over between their release and the first detection "
          "site (default: the --holdover share).",
          "p"},
         [](StudyDesign& design, const QString& text) {
             bool ok = false;
             const double value = text.toDouble(&ok);
             if (ok)
                 design.firstReachHoldOver = value;
             return ok;
         }},
        {{"batches",
          "Release each release's fish in n batches whose survival varies around the mean "
          "(extra-binomial variation; see --batch-spread).",
          "n"},
         setInt(&StudyDesign::batches)},
        {{"batch-spread",
          "Standard deviation, on the logit scale, of a batch's survival on every step "
          "(default 0: no variation).",
          "sd"},
         setDouble(&StudyDesign::batchSpread)},
        {{"batch-detection-spread",
          "Standard deviation, on the logit scale, of a batch's detection probability at every "
          "dam (default 0).",
          "sd"},
         setDouble(&StudyDesign::batchDetectionSpread)},
        {{"sparse-release-fish", "Fish of the last release, fewer than those of the others.", "n"},
         [](StudyDesign& design, const QString& text) {
             bool ok = false;
             const int value = text.toInt(&ok);
             if (ok)
                 design.sparseReleaseFish = value;
             return ok;
         }},
    };
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("rivulet-sim");
    QCoreApplication::setApplicationVersion(RIVULET_VERSION);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Writes a simulated PIT-tag study into a folder: sites_config.txt, observations.csv, "
        "ages.csv, truth.csv and, with --counts, counts.txt.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption presetOption(
        "preset", "Starting design: " + StudyDesign::presetNames().join(", ") + ".", "name",
        "sample");
    const QCommandLineOption countsOption("counts", "Also write the next-detection counts.");
    parser.addOption(presetOption);
    parser.addOption(countsOption);
    const QVector<NumberOption> numbers = numberOptions();
    for (const NumberOption& number : numbers)
        parser.addOption(number.option);
    parser.addPositionalArgument("folder", "Folder to write the study into.");
    parser.process(app);

    if (parser.positionalArguments().size() != 1) {
        err << "rivulet-sim: give exactly one output folder (see --help)\n";
        return 2;
    }
    std::optional<StudyDesign> design = StudyDesign::preset(parser.value(presetOption));
    if (!design) {
        err << "rivulet-sim: unknown preset \"" << parser.value(presetOption) << "\"\n";
        return 2;
    }
    for (const NumberOption& number : numbers) {
        if (parser.isSet(number.option) && !number.apply(*design, parser.value(number.option))) {
            err << "rivulet-sim: --" << number.option.names().first()
                << " needs a number in range\n";
            return 2;
        }
    }
    const QString problem = design->validate();
    if (!problem.isEmpty()) {
        err << "rivulet-sim: " << problem << "\n";
        return 2;
    }

    QElapsedTimer timer;
    timer.start();
    rivulet::sim::StudySimulator simulator(*design);
    const QString folder = parser.positionalArguments().first();
    const lum::Expected<rivulet::sim::StudySummary> written =
        simulator.run(folder, parser.isSet(countsOption));
    if (!written) {
        err << "rivulet-sim: " << written.error().text() << "\n";
        return 1;
    }
    const rivulet::sim::StudySummary& summary = *written;
    out << "Study written to " << folder << " (" << simulator.description() << ")\n"
        << "  releases: " << summary.releases << ", fish: " << summary.fish
        << ", never detected: " << summary.neverDetected << ", removed: " << summary.removed << "\n"
        << "  export rows: " << summary.rows << " (" << summary.detectionRows << " detections), "
        << summary.observationBytes << " bytes\n"
        << "  sites: " << summary.sites << ", years: " << summary.years << "\n"
        << "  time: " << QString::number(timer.elapsed() / 1000.0, 'f', 2) << " s\n";
    return 0;
}

#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace rivulet {
class EstimationResults;
class ModelCatalogue;
} // namespace rivulet

namespace rivulet::cli {

class CliOutput;
class StudyContext;

// The reports that "fit --out DIR" writes for one fitted model beside the model comparison:
// the survival-and-movement, capture and performance measure reports as HTML
// (survival.html, capture.html, performance.html) and as CSV (survival.csv, capture.csv,
// performance.csv), and the release summary of the data (releases.html).
//
// The reported model is the one with the lowest AIC, or the one named with
// "--report-model NAME"; "--precision-est N" and "--precision-err N" replace the settings
// precision_est and precision_err for the run. The fit command hands every argument it does
// not know to readOption, checks the named model against the catalogue before fitting, and
// calls write after the comparison files.
class FitReports
{
public:
    // The options as the usage line shows them.
    static QString usage();
    // The files write() makes, in the order it makes them.
    static QStringList fileNames();

    // Reads "--report-model NAME", "--precision-est N" or "--precision-err N" (each also as
    // "--name=VALUE") at arguments[i], advancing i past its value. Returns false when
    // arguments[i] is none of them; sets `error` when its value is missing or not valid.
    bool readOption(const QStringList& arguments, int& i, QString& error);

    // False, after reporting it, when a model is named that the catalogue does not hold.
    bool checkModel(const ModelCatalogue& catalogue, CliOutput& out) const;

    // Writes every report into `outDir` (created when missing). False, after reporting the
    // error, when the named model was not estimated or a file cannot be written; files are
    // replaced only when complete, so a failed run never leaves a partial report.
    bool write(const QString& outDir, const StudyContext& study, const EstimationResults& results,
               CliOutput& out) const;

    const QString& reportModel() const { return reportModel_; }

private:
    int modelIndex(const ModelCatalogue& catalogue, const EstimationResults& results,
                   CliOutput& out) const;

    QString reportModel_;
    std::optional<int> estimatePrecision_;
    std::optional<int> errorPrecision_;
};

} // namespace rivulet::cli

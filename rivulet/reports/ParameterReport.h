#pragma once

#include "rivulet/reports/RivuletReport.h"

#include <functional>

class QTextCursor;
class QTextTable;

namespace rivulet {

class ModelEstimateItem;
struct MeasureValue;
struct ModelResult;

// A report on one fitted model, given as the item of the model tree: the model header that
// opens it and the precisions of its numbers (decimals of estimates and of standard errors).
// Without a model item the report is an empty document. The item is borrowed.
class ParameterReport : public RivuletReport
{
    Q_OBJECT

public:
    static constexpr int DefaultPrecision = 4;

    ParameterReport(qint32 kind, const ReleasesControllerI& releases, const SitesControllerI& sites,
                    const YearsControllerI& years, int estimatePrecision = DefaultPrecision,
                    int errorPrecision = DefaultPrecision, QObject* parent = nullptr,
                    lum::ThreadRunner* runner = nullptr);
    ~ParameterReport() override;

    void setModelItem(const ModelEstimateItem* item) { modelItem_ = item; }
    const ModelEstimateItem* modelItem() const { return modelItem_; }
    void setPrecisions(int estimatePrecision, int errorPrecision);
    int estimatePrecision() const { return estimatePrecision_; }
    int errorPrecision() const { return errorPrecision_; }

    // The report title, the releases, the model's code and description and its figures.
    void writeModelHeader(QTextCursor& cursor, const QString& code, const QString& fullDescription,
                          int releaseCount, int siteCount, int yearCount, int parameterCount,
                          double logLikelihood, double aic) const;

protected:
    // Where a release starts: its position and the positions of its site and year.
    struct ReleaseStart
    {
        int release = 0;
        int site = 0;
        int year = 0;
    };
    using TableWriter =
        std::function<void(QTextCursor& cursor, const ReleaseStart& start, const ModelResult&)>;

    // The result record of the model item, or null when there is no item or no usable record.
    const ModelResult* modelResult() const;
    // The body of both estimate reports: the header, "Estimates", and for every release its
    // heading and the table that writeTable adds at the cursor.
    void writeEstimateReport(const TableWriter& writeTable) const;
    // The header at the cursor for the model item and its record.
    void writeModelHeaderOf(QTextCursor& cursor, const ModelResult& result) const;
    QString valueText(const MeasureValue& value) const;
    void writeCell(QTextTable* table, int row, int column, const QString& text,
                   int cellFormatNumber) const;

private:
    const ModelEstimateItem* modelItem_ = nullptr;
    int estimatePrecision_ = DefaultPrecision;
    int errorPrecision_ = DefaultPrecision;
};

} // namespace rivulet

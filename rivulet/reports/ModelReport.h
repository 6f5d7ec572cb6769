#pragma once

#include "rivulet/reports/RivuletReport.h"
#include "rivulet/results/ModelDescription.h"
#include "rivulet/results/ModelDocuments.h"

#include <optional>

namespace rivulet {

class ReleaseSummary;
struct ModelResult;

// A report on one fitted model: "Survival and Movement Parameter Estimates", "Capture
// Parameter Estimates" or "Performance Measures". A run builds the model's document
// (ModelDocuments) and writes it as rich text and as CSV (csvText()). Without a model, or
// with one whose result cannot be read, the report is an empty document. The controllers,
// the release summary and the result are borrowed.
class ModelReport : public RivuletReport
{
    Q_OBJECT

public:
    static constexpr int DefaultPrecision = 4;

    ModelReport(ModelDocuments::Kind kind, const ReleasesControllerI& releases,
                const SitesControllerI& sites, const YearsControllerI& years,
                const ReleaseSummary& summary, QObject* parent = nullptr,
                lum::ThreadRunner* runner = nullptr);
    ~ModelReport() override;

    // The report's kind among the reports of the application.
    static qint32 reportKind(ModelDocuments::Kind kind);

    ModelDocuments::Kind documentKind() const { return m_documentKind; }
    void setModel(const ModelDescription& model, const ModelResult* result);
    void clearModel();
    const std::optional<ModelDescription>& model() const { return m_model; }
    void setPrecisions(int estimatePrecision, int errorPrecision);
    int estimatePrecision() const { return m_estimatePrecision; }
    int errorPrecision() const { return m_errorPrecision; }

    // The model's document now, built afresh; none without a readable model.
    std::optional<ReportDocument> buildModelDocument() const;

protected:
    void buildReport() override;

private:
    ModelDocuments::Kind m_documentKind;
    const ReleaseSummary& m_summary;
    std::optional<ModelDescription> m_model;
    const ModelResult* m_result = nullptr;
    int m_estimatePrecision = DefaultPrecision;
    int m_errorPrecision = DefaultPrecision;
};

} // namespace rivulet

#include "rivulet/reports/ModelReport.h"

#include "rivulet/reports/RichTextRenderer.h"
#include "rivulet/results/CsvRenderer.h"

#include <QTextCursor>
#include <QTextDocument>

namespace rivulet {

ModelReport::ModelReport(ModelDocuments::Kind kind, const ReleasesControllerI& releases,
                         const SitesControllerI& sites, const YearsControllerI& years,
                         const ReleaseSummary& summary, QObject* parent, lum::ThreadRunner* runner)
    : RivuletReport(reportKind(kind), releases, sites, years, runner, parent), documentKind_(kind),
      summary_(summary)
{
}

ModelReport::~ModelReport() = default;

qint32 ModelReport::reportKind(ModelDocuments::Kind kind)
{
    switch (kind) {
    case ModelDocuments::Kind::Survival:
        return PhiParameterKind;
    case ModelDocuments::Kind::Capture:
        return CaptureParameterKind;
    case ModelDocuments::Kind::Performance:
        break;
    }
    return PerformanceMeasureKind;
}

void ModelReport::setModel(const ModelDescription& model, const ModelResult* result)
{
    model_ = model;
    result_ = result;
}

void ModelReport::clearModel()
{
    model_.reset();
    result_ = nullptr;
}

void ModelReport::setPrecisions(int estimatePrecision, int errorPrecision)
{
    estimatePrecision_ = estimatePrecision;
    errorPrecision_ = errorPrecision;
}

std::optional<ReportDocument> ModelReport::buildModelDocument() const
{
    if (!model_)
        return std::nullopt;
    return ModelDocuments::build(documentKind_, {releases(), sites(), years(), summary_}, *model_,
                                 result_);
}

void ModelReport::buildReport()
{
    const std::optional<ReportDocument> built = buildModelDocument();
    setCsvText(built ? CsvRenderer::render(*built) : QString());
    QTextDocument* doc = document();
    if (!doc || !built)
        return;
    QTextCursor cursor(doc);
    RichTextRenderer(*this, estimatePrecision_, errorPrecision_).render(*built, cursor);
}

} // namespace rivulet

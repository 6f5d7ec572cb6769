#include "rivulet/reports/ModelReport.h"

#include "rivulet/reports/RichTextRenderer.h"
#include "rivulet/results/CsvRenderer.h"

#include <QTextCursor>
#include <QTextDocument>

namespace rivulet {

ModelReport::ModelReport(ModelDocuments::Kind kind, const ReleasesControllerI& releases,
                         const SitesControllerI& sites, const YearsControllerI& years,
                         const ReleaseSummary& summary, QObject* parent, lum::ThreadRunner* runner)
    : RivuletReport(reportKind(kind), releases, sites, years, runner, parent), m_documentKind(kind),
      m_summary(summary)
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
    m_model = model;
    m_result = result;
}

void ModelReport::clearModel()
{
    m_model.reset();
    m_result = nullptr;
}

void ModelReport::setPrecisions(int estimatePrecision, int errorPrecision)
{
    m_estimatePrecision = estimatePrecision;
    m_errorPrecision = errorPrecision;
}

std::optional<ReportDocument> ModelReport::buildModelDocument() const
{
    if (!m_model)
        return std::nullopt;
    return ModelDocuments::build(m_documentKind, {releases(), sites(), years(), m_summary},
                                 *m_model, m_result);
}

void ModelReport::buildReport()
{
    const std::optional<ReportDocument> built = buildModelDocument();
    setCsvText(built ? CsvRenderer::render(*built) : QString());
    QTextDocument* doc = document();
    if (!doc || !built)
        return;
    QTextCursor cursor(doc);
    RichTextRenderer(*this, m_estimatePrecision, m_errorPrecision).render(*built, cursor);
}

} // namespace rivulet

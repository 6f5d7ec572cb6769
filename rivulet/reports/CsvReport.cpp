#include "rivulet/reports/CsvReport.h"

#include "lum/report/CsvText.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/reports/ModelEstimateItem.h"
#include "rivulet/reports/ReportNumbers.h"

#include <QTextStream>

namespace rivulet {

CsvReport::CsvReport(const ReleasesControllerI& releases, const SitesControllerI& sites,
                     const YearsControllerI& years, const ModelEstimateItem* modelItem)
    : releases_(releases), sites_(sites), years_(years), modelItem_(modelItem)
{
}

CsvReport::~CsvReport() = default;

const ModelResult* CsvReport::modelResult() const
{
    if (!modelItem_)
        return nullptr;
    const ModelResult* result = modelItem_->result();
    if (!result || !result->parameters || !result->covariances)
        return nullptr;
    return result;
}

void CsvReport::writeHeader(QTextStream& out) const
{
    out << "Releases\n";
    for (const QString& name : releases_.labels())
        out << lum::csvField(name) << '\n';
    out << '\n';
    const ModelResult* result = modelResult();
    out << "Model:," << lum::csvField(modelItem_ ? modelItem_->code() : QString()) << '\n';
    out << "# releases:," << releases_.count() << '\n';
    out << "# sites:," << sites_.count() << '\n';
    out << "# years:," << years_.count() << '\n';
    out << "# parameters:," << (result ? result->numParameters() : 0) << '\n';
    out << "log-likelihood:,";
    ReportNumbers::writeNumber(out, result ? result->logLikelihood : 0.0);
    out << '\n';
    out << "AIC:,";
    ReportNumbers::writeNumber(out, result ? result->aic : 0.0);
    out << '\n';
    out << '\n';
}

} // namespace rivulet

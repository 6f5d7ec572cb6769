#include "rivulet/reports/PhiParameterCsv.h"

#include "lum/report/CsvText.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/MeasureValue.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/reports/PhiTableLayout.h"
#include "rivulet/reports/ReportNumbers.h"

#include <QTextStream>

namespace rivulet {

void PhiParameterCsv::write(QTextStream& out) const
{
    const ModelResult* result = modelResult();
    if (!result)
        return;
    out << "Survival and Movement Parameter Estimates\n\n";
    writeHeader(out);

    const QStringList names = releases().labels();
    const QStringList siteNames = sites().shortNames();
    const QStringList yearNames = years().yearLabels();
    const ParameterMap& parameters = *result->parameters;
    const CovarianceMap& covariances = *result->covariances;
    for (int id : releases().ids()) {
        const int r = releases().indexOf(ReleaseId{id}).value;
        const int s0 = sites().indexOf(releases().releaseSiteId(id));
        const int y0 = years().indexOf(releases().releaseYearId(id));
        out << "\nRelease:," << lum::csvField(names.value(r)) << '\n';
        if (r < 0 || s0 < 0 || y0 < 0)
            continue;
        const PhiTableLayout layout(siteNames, years().count(), s0, y0);

        out << "Upstream year,Downstream year";
        for (int j = 0; j < layout.reachCount(); ++j)
            out << (j > 0 ? "," : "") << ','
                << lum::csvField(QStringLiteral("Reach ") + layout.reachLabel(j));
        out << '\n';
        out << ",";
        for (int j = 0; j < layout.reachCount(); ++j)
            out << ",estimate,s.e.";
        out << '\n';

        for (const PhiTableLayout::YearPair& pair : layout.yearPairs()) {
            const int u = pair.upstream;
            const int d = pair.downstream;
            out << lum::csvField(yearNames.value(u)) << ',' << lum::csvField(yearNames.value(d));
            for (int j = 0; j < layout.reachCount(); ++j) {
                out << ',';
                if (!layout.hasValue(j, pair)) {
                    out << ',';
                    continue;
                }
                const int s = layout.reachSite(j);
                const MeasureValue value{parameters.phi(r, s, u, d),
                                         covariances.phiCovariance(r, s, u, d, s, u, d),
                                         covariances.hasCovariance()};
                ReportNumbers::writeNumber(out, value.estimate);
                out << ',';
                ReportNumbers::writeStandardError(out, value);
            }
            out << '\n';
        }
    }
}

} // namespace rivulet

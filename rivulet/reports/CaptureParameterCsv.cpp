#include "rivulet/reports/CaptureParameterCsv.h"

#include "lum/report/CsvText.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/MeasureValue.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/reports/ReportNumbers.h"

#include <QTextStream>

namespace rivulet {

void CaptureParameterCsv::write(QTextStream& out) const
{
    const ModelResult* result = modelResult();
    if (!result)
        return;
    out << "Capture Parameter Estimates\n\n";
    writeHeader(out);

    const QStringList names = releases().labels();
    const QStringList siteNames = sites().shortNames();
    const QStringList yearNames = years().yearLabels();
    const int lastSite = siteNames.size() - 2;
    const ParameterMap& parameters = *result->parameters;
    const CovarianceMap& covariances = *result->covariances;
    for (int id : releases().ids()) {
        const int r = releases().indexOf(ReleaseId{id}).value;
        const int s0 = sites().indexOf(releases().releaseSiteId(id));
        const int y0 = years().indexOf(releases().releaseYearId(id));
        out << "\nRelease:," << lum::csvField(names.value(r)) << '\n';
        if (r < 0 || s0 < 0 || y0 < 0)
            continue;

        out << "Downstream";
        for (int s = s0 + 1; s <= lastSite; ++s)
            out << (s > s0 + 1 ? "," : "") << ',' << lum::csvField(siteNames.value(s));
        out << '\n';
        for (int s = s0 + 1; s <= lastSite; ++s)
            out << ",estimate,s.e";
        out << '\n';

        for (int y = y0; y < years().count(); ++y) {
            out << lum::csvField(yearNames.value(y));
            for (int s = s0 + 1; s <= lastSite; ++s) {
                const MeasureValue value{parameters.capture(r, s, y),
                                         covariances.captureCovariance(r, s, y, s, y),
                                         covariances.hasCovariance()};
                out << ',';
                ReportNumbers::writeNumber(out, value.estimate);
                out << ',';
                ReportNumbers::writeStandardError(out, value);
            }
            out << '\n';
        }
    }
}

} // namespace rivulet

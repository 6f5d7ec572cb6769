#include "rivulet/results/MeasuresCsv.h"

#include "lum/report/CsvText.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/results/CsvNumber.h"
#include "rivulet/results/LogitInterval.h"
#include "rivulet/results/PerformanceTables.h"

namespace rivulet {

QString MeasuresCsv::text(const ModelCatalogue& catalogue, const EstimationResults& results,
                          const ReleaseSummary& summary)
{
    QString text = lum::csvLine(
        {QStringLiteral("model"), QStringLiteral("measure"), QStringLiteral("release_or_age_class"),
         QStringLiteral("site"), QStringLiteral("year"), QStringLiteral("estimate"),
         QStringLiteral("se"), QStringLiteral("lcl"), QStringLiteral("ucl")});
    for (int i = 0; i < results.count(); ++i) {
        const QString name = ModelCatalogue::modelName(catalogue.dataClass(), results.scheme(i));
        for (const QuantityRow& row : PerformanceTables::measuresOf(results, i, summary)) {
            text += lum::csvLine({name, row.name, row.group, row.site, row.year1,
                                  csvNumber(row.estimate), csvNumber(row.standardError),
                                  LogitInterval::lowerText(row.interval),
                                  LogitInterval::upperText(row.interval)});
        }
    }
    return text;
}

} // namespace rivulet

#include "rivulet/results/EstimatesCsv.h"

#include "lum/report/CsvText.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/results/LogitInterval.h"
#include "rivulet/results/ParameterRows.h"

namespace rivulet {

namespace {

QString number(double value)
{
    return QString::number(value, 'g', 10);
}

} // namespace

QString EstimatesCsv::text(const ModelCatalogue& catalogue, const EstimationResults& results)
{
    QString text = lum::csvLine(
        {QStringLiteral("model"), QStringLiteral("family"), QStringLiteral("release_label"),
         QStringLiteral("release"), QStringLiteral("site"), QStringLiteral("year1"),
         QStringLiteral("year2"), QStringLiteral("estimate"), QStringLiteral("se"),
         QStringLiteral("fixed"), QStringLiteral("lcl"), QStringLiteral("ucl"),
         QStringLiteral("status"), QStringLiteral("interval")});
    const QStringList labels = results.releasesController().labels();
    for (int i = 0; i < results.count(); ++i) {
        const QString name = ModelCatalogue::modelName(catalogue.dataClass(), results.scheme(i));
        const ParameterRows parameters(results, i);
        for (const ParameterRows::Row& row : parameters.rows()) {
            const ParameterEntry& entry = row.entry;
            const QuantityRow& quantity = row.quantity;
            text += lum::csvLine(
                {name, quantity.name, labels.value(entry.release), QString::number(entry.release),
                 QString::number(entry.site), QString::number(entry.year1),
                 entry.family == ParameterFamily::Capture ? QString()
                                                          : QString::number(entry.year2),
                 number(quantity.estimate),
                 quantity.standardError ? number(*quantity.standardError) : QString(),
                 row.fixed ? QStringLiteral("1") : QStringLiteral("0"),
                 LogitInterval::lowerText(quantity.interval),
                 LogitInterval::upperText(quantity.interval), row.status, row.intervalKind});
        }
    }
    return text;
}

} // namespace rivulet

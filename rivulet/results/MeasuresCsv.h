#pragma once

#include <QString>

namespace rivulet {

class EstimationResults;
class ModelCatalogue;
class ReleaseSummary;

// The performance measures of every fitted model as CSV, one row per measure (PerformanceTables),
// models in recording order:
//   model,measure,release_or_age_class,site,year,estimate,se,lcl,ucl
// se, lcl and ucl read "NA" where there is no standard error or no interval (LogitInterval).
class MeasuresCsv
{
public:
    static QString text(const ModelCatalogue& catalogue, const EstimationResults& results,
                        const ReleaseSummary& summary);
};

} // namespace rivulet

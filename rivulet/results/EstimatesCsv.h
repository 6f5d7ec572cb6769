#pragma once

#include <QString>

namespace rivulet {

class EstimationResults;
class ModelCatalogue;

// Every parameter of every fitted model as CSV, one row per parameter of the model's index
// space in numbering order, models in recording order:
//   model,family,release_label,release,site,year1,year2,estimate,se,fixed,lcl,ucl,status,interval
// family is phi, lambda or p; release, site and the years are positions (lambda's site is
// the final site; p has no year2); se is empty when the model has no covariance matrix (or
// a variance is not a usable number); fixed is 1 for a parameter fixed by the data; lcl and
// ucl bound the 95% interval on the logit scale (LogitInterval), "NA" when there is none;
// status says why an estimate has or lacks its standard error (ParameterRows) and interval how
// its interval was found ("wald", or "none").
class EstimatesCsv
{
public:
    static QString text(const ModelCatalogue& catalogue, const EstimationResults& results);
};

} // namespace rivulet

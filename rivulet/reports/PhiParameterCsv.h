#pragma once

#include "rivulet/reports/CsvReport.h"

namespace rivulet {

// "Survival and Movement Parameter Estimates" as CSV: per release a line of reach labels,
// a line of estimate / s.e. captions and one line per pair of upstream and downstream years.
class PhiParameterCsv : public CsvReport
{
public:
    using CsvReport::CsvReport;

    void write(QTextStream& out) const override;
};

} // namespace rivulet

#pragma once

#include "rivulet/reports/CsvReport.h"

namespace rivulet {

// "Capture Parameter Estimates" as CSV: per release a line of site names, a line of
// estimate / s.e captions and one line per year.
class CaptureParameterCsv : public CsvReport
{
public:
    using CsvReport::CsvReport;

    void write(QTextStream& out) const override;
};

} // namespace rivulet

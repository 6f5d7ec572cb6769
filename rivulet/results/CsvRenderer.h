#pragma once

#include <QString>

namespace rivulet {

struct ReportDocument;

// A model report as comma-separated text: the title lines, the releases, the model and its
// figures, then every block that has a CSV form. Numbers are written as a text stream writes
// them (six significant digits); a value that is not available reads "NA", a standard error
// of a quantity the data fixed "fixed".
class CsvRenderer
{
public:
    static QString render(const ReportDocument& document);
};

} // namespace rivulet

#pragma once

#include <QString>

class QTextStream;

namespace rivulet {

struct MeasureValue;

// How the reports write numbers. Rich text: an estimate with its standard error reads
// "%1 (%2)" in fixed notation with the two precisions, and "%1 (NA)" without a covariance
// matrix, "%1 (fixed)" for a quantity that depends on no free parameter; an estimate without a
// standard error but with an interval found otherwise (at a bound, or not estimable) reads
// "%1 [%2 to %3]", and in CSV its error field "%2 to %3". CSV: the stream's own
// number formatting. A number that is not finite (an
// undefined share, a negative round-off variance) is written "NA" in both, never "nan" or
// "inf".
class ReportNumbers
{
public:
    static const QString& notAvailable();
    // In place of the standard error of a quantity the data fixed: "fixed".
    static const QString& fixedByData();

    // The estimate in fixed notation, or "NA".
    static QString fixed(double value, int precision);
    // "%1 (%2)" or "%1 (NA)".
    static QString valueText(const MeasureValue& value, int estimatePrecision, int errorPrecision);
    // The standard error of a variance in fixed notation, or "NA" without a covariance
    // matrix or a usable variance.
    static QString standardErrorText(const MeasureValue& value, int errorPrecision);

    // The number with the stream's formatting, or "NA".
    static void writeNumber(QTextStream& out, double value);
    // The standard error with the stream's formatting, or "NA".
    static void writeStandardError(QTextStream& out, const MeasureValue& value);
};

} // namespace rivulet

#include "rivulet/results/ReportNumbers.h"

#include "rivulet/model/MeasureValue.h"

#include <QTextStream>

#include <cmath>

namespace rivulet {

const QString& ReportNumbers::notAvailable()
{
    static const QString text = QStringLiteral("NA");
    return text;
}

QString ReportNumbers::fixed(double value, int precision)
{
    if (!std::isfinite(value))
        return notAvailable();
    return QString::number(value, 'f', precision);
}

const QString& ReportNumbers::fixedByData()
{
    static const QString text = QStringLiteral("fixed");
    return text;
}

QString ReportNumbers::standardErrorText(const MeasureValue& value, int errorPrecision)
{
    if (value.isFixed)
        return fixedByData();
    if (!value.hasStandardError() && value.hasInterval)
        return QStringLiteral("%1 to %2")
            .arg(fixed(value.lower, errorPrecision), fixed(value.upper, errorPrecision));
    if (!value.hasStandardError())
        return notAvailable();
    return fixed(value.standardError(), errorPrecision);
}

QString ReportNumbers::valueText(const MeasureValue& value, int estimatePrecision,
                                 int errorPrecision)
{
    // An interval in place of the standard error, in brackets so that it is not read as one.
    if (!value.isFixed && !value.hasStandardError() && value.hasInterval)
        return QStringLiteral("%1 [%2]").arg(fixed(value.estimate, estimatePrecision),
                                             standardErrorText(value, estimatePrecision));
    return QStringLiteral("%1 (%2)").arg(fixed(value.estimate, estimatePrecision),
                                         standardErrorText(value, errorPrecision));
}

void ReportNumbers::writeNumber(QTextStream& out, double value)
{
    if (std::isfinite(value))
        out << value;
    else
        out << notAvailable();
}

void ReportNumbers::writeStandardError(QTextStream& out, const MeasureValue& value)
{
    if (value.isFixed)
        out << fixedByData();
    else if (value.hasStandardError())
        writeNumber(out, value.standardError());
    else if (value.hasInterval)
        // "lower to upper": still one field, and no number a reader takes for an error.
        out << value.lower << " to " << value.upper;
    else
        out << notAvailable();
}

} // namespace rivulet

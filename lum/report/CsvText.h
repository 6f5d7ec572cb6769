#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace lum {

// A field a spreadsheet would run as a formula: text (site names come from a downloaded
// configuration) starting with = + - @, a tab or a carriage return. Numbers, negative ones
// included, stay numbers.
inline bool isFormulaLike(const QString& field)
{
    if (field.isEmpty())
        return false;
    const QChar first = field.front();
    if (first != QLatin1Char('=') && first != QLatin1Char('+') && first != QLatin1Char('-') &&
        first != QLatin1Char('@') && first != QLatin1Char('\t') && first != QLatin1Char('\r'))
        return false;
    bool number = false;
    field.toDouble(&number);
    return !number;
}

// One CSV field: text holding a comma, a quote or a line end is quoted, with its quotes
// doubled; anything else is written as it is, so ordinary names read the same as before. A
// formula-like field is quoted with a leading apostrophe, so that a spreadsheet shows it as
// text.
inline QString csvField(const QString& field)
{
    if (isFormulaLike(field)) {
        QString escaped = field;
        escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
        return QStringLiteral("\"'") + escaped + QLatin1Char('"');
    }
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) &&
        !field.contains(QLatin1Char('\n')) && !field.contains(QLatin1Char('\r')))
        return field;
    QString escaped = field;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// One CSV line from its fields, each written with csvField.
inline QString csvLine(const QStringList& fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& field : fields)
        quoted << csvField(field);
    return quoted.join(QLatin1Char(',')) + QLatin1Char('\n');
}

} // namespace lum

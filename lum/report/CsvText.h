#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace lum {

// One CSV field: text holding a comma, a quote or a line end is quoted, with its quotes
// doubled; anything else is written as it is, so ordinary names read the same as before.
inline QString csvField(const QString& field)
{
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

#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace rivulet::cli {

// One CSV line from its fields: a field holding a comma, a quote or a line end is quoted,
// with its quotes doubled.
inline QString csvLine(const QStringList& fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& field : fields) {
        if (field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
            field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'))) {
            QString escaped = field;
            escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
            quoted << QLatin1Char('"') + escaped + QLatin1Char('"');
        } else {
            quoted << field;
        }
    }
    return quoted.join(QLatin1Char(',')) + QLatin1Char('\n');
}

} // namespace rivulet::cli

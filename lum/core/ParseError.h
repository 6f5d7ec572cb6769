#pragma once

#include "lum/core/Error.h"

#include <QByteArray>
#include <QString>

#include <exception>
#include <utility>

namespace lum {

// Thrown by the text readers when a token cannot be read as what the format expects. It
// carries the reader's message and where the offending token starts (1-based line and
// column), so the user can find the fault in the file. It goes no further than the code that
// hands a file to a reader: that code catches it and passes error() on as a value.
class ParseError : public std::exception
{
public:
    ParseError(QString message, int line, int column, QString token = QString())
        : m_message(std::move(message)), m_token(std::move(token)), m_line(line), m_column(column),
          m_what(text().toUtf8())
    {
    }

    const QString& message() const { return m_message; }
    // The offending token; empty when the input ended where a token was expected.
    const QString& token() const { return m_token; }
    int line() const { return m_line; }
    int column() const { return m_column; }

    // The message with its position, as shown to the user.
    QString text() const
    {
        return m_message + QStringLiteral(" at line ") + QString::number(m_line) +
               QStringLiteral(", column ") + QString::number(m_column);
    }

    // The same failure as a value, for the reader's caller, which does not throw: an input
    // error whose message is text() and whose `where` is the line and column.
    Error error() const
    {
        return Error(JobError::Input, text(), QString(),
                     QStringLiteral("line ") + QString::number(m_line) +
                         QStringLiteral(", column ") + QString::number(m_column));
    }

    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QString m_token;
    int m_line = 0;
    int m_column = 0;
    QByteArray m_what;
};

} // namespace lum

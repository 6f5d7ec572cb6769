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
        : message_(std::move(message)), token_(std::move(token)), line_(line), column_(column),
          what_(text().toUtf8())
    {
    }

    const QString& message() const { return message_; }
    // The offending token; empty when the input ended where a token was expected.
    const QString& token() const { return token_; }
    int line() const { return line_; }
    int column() const { return column_; }

    // The message with its position, as shown to the user.
    QString text() const
    {
        return message_ + QStringLiteral(" at line ") + QString::number(line_) +
               QStringLiteral(", column ") + QString::number(column_);
    }

    // The same failure as a value, for the reader's caller, which does not throw: an input
    // error whose message is text() and whose `where` is the line and column.
    Error error() const
    {
        return Error(JobError::Input, text(), QString(),
                     QStringLiteral("line ") + QString::number(line_) +
                         QStringLiteral(", column ") + QString::number(column_));
    }

    const char* what() const noexcept override { return what_.constData(); }

private:
    QString message_;
    QString token_;
    int line_ = 0;
    int column_ = 0;
    QByteArray what_;
};

} // namespace lum

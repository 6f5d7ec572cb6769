#pragma once

#include <QString>

#include <string>

namespace lum {

class SqlStatement;

// Binds the values of one run of a statement. Every value reaches SQLite as text (an integer as
// its decimal digits); SQLite's column affinity stores it as a number in INTEGER columns.
// bind() positions count from 1 (the first `?`), bindAt() indexes from 0.
//
// Only the listed types bind: anything else (double, 64-bit integers, bool, byte arrays) is a
// compile error rather than a silent conversion.
class StatementBinder
{
public:
    explicit StatementBinder(SqlStatement& statement) : m_statement(statement) {}

    int bind(int position, const QString& value);
    int bind(int position, const std::string& value);
    int bind(int position, const char* value);
    int bind(int position, int value);
    template <typename T>
    int bind(int position, T value) = delete;

    int bindAt(int index, const QString& value);
    int bindAt(int index, int value);
    template <typename T>
    int bindAt(int index, T value) = delete;

private:
    SqlStatement& m_statement;
};

} // namespace lum

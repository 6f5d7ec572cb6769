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
// compile error rather than a silent conversion. A bind that fails makes the statement's next
// step() fail with the reason.
class StatementBinder
{
public:
    explicit StatementBinder(SqlStatement& statement) : m_statement(statement) {}

    void bind(int position, const QString& value);
    void bind(int position, const std::string& value);
    void bind(int position, const char* value);
    void bind(int position, int value);
    template <typename T>
    void bind(int position, T value) = delete;

    void bindAt(int index, const QString& value);
    void bindAt(int index, int value);
    template <typename T>
    void bindAt(int index, T value) = delete;

private:
    SqlStatement& m_statement;
};

} // namespace lum

#include "lum/db/StatementBinder.h"

#include "lum/db/SqlStatement.h"

namespace lum {

int StatementBinder::bind(int position, const QString& value)
{
    return m_statement.bindText(position, value);
}

int StatementBinder::bind(int position, const std::string& value)
{
    return m_statement.bindText(position, value);
}

int StatementBinder::bind(int position, const char* value)
{
    return m_statement.bindText(position, value);
}

int StatementBinder::bind(int position, int value)
{
    return m_statement.bindText(position, QString::number(value));
}

int StatementBinder::bindAt(int index, const QString& value)
{
    return m_statement.bindValue(index, value.isNull() ? QStringLiteral("") : value);
}

int StatementBinder::bindAt(int index, int value)
{
    return m_statement.bindValue(index, QString::number(value));
}

} // namespace lum

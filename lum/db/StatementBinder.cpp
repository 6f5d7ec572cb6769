#include "lum/db/StatementBinder.h"

#include "lum/db/SqlStatement.h"

namespace lum {

void StatementBinder::bind(int position, const QString& value)
{
    m_statement.bindText(position, value);
}

void StatementBinder::bind(int position, const std::string& value)
{
    m_statement.bindText(position, value);
}

void StatementBinder::bind(int position, const char* value)
{
    m_statement.bindText(position, value);
}

void StatementBinder::bind(int position, int value)
{
    m_statement.bindText(position, QString::number(value));
}

void StatementBinder::bindAt(int index, const QString& value)
{
    m_statement.bindValue(index, value.isNull() ? QStringLiteral("") : value);
}

void StatementBinder::bindAt(int index, int value)
{
    m_statement.bindValue(index, QString::number(value));
}

} // namespace lum

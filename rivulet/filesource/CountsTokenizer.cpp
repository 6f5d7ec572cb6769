#include "rivulet/filesource/CountsTokenizer.h"

#include "lum/core/ParseError.h"

#include <QTextStream>

#include <limits>

namespace rivulet {

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n') || c == QLatin1Char('\f') || c == QLatin1Char('\v');
}

const QChar Comment = QLatin1Char('#');

} // namespace

CountsTokenizer::CountsTokenizer(QTextStream& in) : m_in(in) {}

bool CountsTokenizer::readLine()
{
    if (m_in.atEnd())
        return false;
    m_text = m_in.readLine();
    ++m_line;
    m_pos = 0;
    const int comment = m_text.indexOf(Comment);
    if (comment >= 0)
        m_text.truncate(comment);
    return true;
}

// Moves to the start of the next token; false at the end of the input.
bool CountsTokenizer::advance()
{
    for (;;) {
        while (m_pos < m_text.size() && isSeparator(m_text.at(m_pos)))
            ++m_pos;
        if (m_pos < m_text.size())
            return true;
        if (!readLine())
            return false;
    }
}

QString CountsTokenizer::nextToken(int& column)
{
    if (!advance()) {
        column = m_text.size() + 1;
        throw lum::ParseError(QStringLiteral("integer expected"), m_line, column);
    }
    const int start = m_pos;
    while (m_pos < m_text.size() && !isSeparator(m_text.at(m_pos)))
        ++m_pos;
    column = start + 1;
    return m_text.mid(start, m_pos - start);
}

void CountsTokenizer::expectEnd()
{
    if (!advance())
        return;
    int column = 0;
    const QString token = nextToken(column);
    throw lum::ParseError(QStringLiteral("text after the last count; expected the end of the file"),
                          m_line, column, token);
}

int CountsTokenizer::nextInt()
{
    return nextInt(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

int CountsTokenizer::nextInt(int min, int max)
{
    int column = 0;
    const QString token = nextToken(column);
    m_column = column;
    bool ok = false;
    const int value = token.toInt(&ok, 10);
    if (!ok)
        throw lum::ParseError(QStringLiteral("integer expected"), m_line, column, token);
    if (value < min || value > max)
        throw lum::ParseError(QStringLiteral("value out of range"), m_line, column, token);
    return value;
}

} // namespace rivulet

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

CountsTokenizer::CountsTokenizer(QTextStream& in) : in_(in) {}

bool CountsTokenizer::readLine()
{
    if (in_.atEnd())
        return false;
    text_ = in_.readLine();
    ++line_;
    pos_ = 0;
    const int comment = text_.indexOf(Comment);
    if (comment >= 0)
        text_.truncate(comment);
    return true;
}

// Moves to the start of the next token; false at the end of the input.
bool CountsTokenizer::advance()
{
    for (;;) {
        while (pos_ < text_.size() && isSeparator(text_.at(pos_)))
            ++pos_;
        if (pos_ < text_.size())
            return true;
        if (!readLine())
            return false;
    }
}

QString CountsTokenizer::nextToken(int& column)
{
    if (!advance()) {
        column = text_.size() + 1;
        throw lum::ParseError(QStringLiteral("integer expected"), line_, column);
    }
    const int start = pos_;
    while (pos_ < text_.size() && !isSeparator(text_.at(pos_)))
        ++pos_;
    column = start + 1;
    return text_.mid(start, pos_ - start);
}

void CountsTokenizer::expectEnd()
{
    if (!advance())
        return;
    int column = 0;
    const QString token = nextToken(column);
    throw lum::ParseError(QStringLiteral("text after the last count; expected the end of the file"),
                          line_, column, token);
}

int CountsTokenizer::nextInt()
{
    return nextInt(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

int CountsTokenizer::nextInt(int min, int max)
{
    int column = 0;
    const QString token = nextToken(column);
    column_ = column;
    bool ok = false;
    const int value = token.toInt(&ok, 10);
    if (!ok)
        throw lum::ParseError(QStringLiteral("integer expected"), line_, column, token);
    if (value < min || value > max)
        throw lum::ParseError(QStringLiteral("value out of range"), line_, column, token);
    return value;
}

} // namespace rivulet

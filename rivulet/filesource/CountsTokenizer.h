#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace rivulet {

// Splits a next-detections file into whole-number tokens. Tokens are separated by blanks,
// tabs and line ends; everything from "#" to the end of a line is ignored. Lines and
// columns are counted from 1 so that errors point at the offending token.
class CountsTokenizer
{
public:
    explicit CountsTokenizer(QTextStream& in);

    // The next token as a base-10 integer. Throws lum::ParseError "integer expected" with the
    // token's position when it is not one, or at the end of the input.
    int nextInt();
    // As nextInt, and throws lum::ParseError "value out of range" unless min <= value <= max.
    int nextInt(int min, int max);

    // Throws lum::ParseError, naming the token, when anything but blanks and comments follows.
    void expectEnd();

    int line() const { return m_line; }
    // The column of the token read last, counted from 1.
    int column() const { return m_column; }

private:
    bool advance();
    QString nextToken(int& column);
    bool readLine();

    QTextStream& m_in;
    QString m_text;
    int m_line = 0;
    int m_pos = 0;
    int m_column = 0;
};

} // namespace rivulet

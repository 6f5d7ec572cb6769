#pragma once

#include <QFile>
#include <QString>
#include <QTextStream>

#include <memory>

namespace rivulet {

// Reads a data file line by line, counting physical lines from 1. Files written on Windows read
// the same as others: "\r\n" line ends and a byte-order mark (UTF-8 or UTF-16) are taken off.
//
//     DataFileReader reader(path);
//     if (!reader.open() || reader.survey() != DataFileReader::Text) ...
//     QString line;
//     while (reader.readLine(line))
//         use(reader.lineNumber(), line);
class DataFileReader
{
public:
    enum Content
    {
        Text,
        Empty,  // nothing but white space
        Binary, // holds NUL bytes, so it is no text export
        Unreadable
    };

    explicit DataFileReader(QString fileName) : m_file(std::move(fileName)) {}

    // Opens the file read-only as text.
    bool open();
    void close();

    // Reads the whole file once to count its lines and tell what it holds, then goes back to
    // the start.
    Content survey();
    int lineCount() const { return m_lineCount; }

    // The next line without its line end; false at the end of the file. Reuses `line`'s
    // storage.
    bool readLine(QString& line);
    int lineNumber() const { return m_lineNumber; }

private:
    QFile m_file;
    std::unique_ptr<QTextStream> m_stream;
    int m_lineCount = 0;
    int m_lineNumber = 0;
};

} // namespace rivulet

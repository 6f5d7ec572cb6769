#pragma once

#include <QIODevice>
#include <QString>
#include <QTextStream>

#include <memory>

namespace rivulet {

// A file name or a field's text as the loaders' messages quote it.
inline QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

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

    explicit DataFileReader(QString fileName);
    // Reads bytes held in memory as if they were a file's.
    explicit DataFileReader(const QByteArray& bytes);
    ~DataFileReader();

    // Opens the file (or the bytes) read-only as text.
    bool open();
    void close();

    // Reads the whole file once to count its lines and tell what it holds, then goes back to
    // the start.
    Content survey();
    int lineCount() const { return m_lineCount; }

    // The next line without its line end; false at the end of the file. Reuses `line`'s
    // storage. Use one of the two forms for the whole file.
    bool readLine(QString& line);
    // The same line as UTF-8 (a UTF-16 file is converted, bytes that are not UTF-8 become
    // U+FFFD as in the text form). Reads ASCII lines without decoding them, for files of a
    // million lines.
    bool readLine(QByteArray& line);
    int lineNumber() const { return m_lineNumber; }

private:
    // Moves the next raw line (up to, without, its "\n") into `line`; false at the end.
    bool nextRawLine(QByteArray& line);

    std::unique_ptr<QIODevice> m_device;
    std::unique_ptr<QTextStream> m_stream;
    int m_lineCount = 0;
    int m_lineNumber = 0;
    // Set by survey(): the file starts with a UTF-16 byte-order mark.
    bool m_wide = false;
    // Bytes read ahead of the lines handed out.
    QByteArray m_buffer;
    int m_bufferPos = 0;
    bool m_atEnd = false;
    QString m_wideLine;
};

} // namespace rivulet

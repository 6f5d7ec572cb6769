#pragma once

#include <QFile>
#include <QString>

#include <string>

namespace rivulet::sim {

// An output file written through a large buffer: the big studies write
// millions of short lines, which go to disk in blocks as they are made.
class BufferedFile
{
public:
    explicit BufferedFile(const QString& path);
    ~BufferedFile();
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;

    bool open();
    // Writes the line (which must end with its newline) to the buffer.
    void write(const std::string& text);
    // Flushes and closes; false if any write failed.
    bool close();
    qint64 bytesWritten() const { return m_bytes; }
    QString errorString() const;

private:
    void flush();

    QFile m_file;
    std::string m_buffer;
    qint64 m_bytes = 0;
    bool m_failed = false;
};

} // namespace rivulet::sim

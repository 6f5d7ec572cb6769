#pragma once

#include <QByteArray>
#include <QString>

#include <utility>

namespace lum {

// Replaces a file with new content all at once: the content goes to a temporary file beside
// the target, which takes the target's place only once every byte has been written. A failed
// write leaves the old file as it was and keeps the system's reason ("No space left on
// device"). QSaveFile::commit() alone is not enough: it reports success after its buffered
// flush failed, and a short write leaves only "Unknown error", so the content is written
// unbuffered until it is all out or the system refuses with its reason. A target that exists
// but is not a regular file (a folder, a pipe, a device) is refused.
class FileReplacer
{
public:
    explicit FileReplacer(QString path) : m_path(std::move(path)) {}

    // False when the file could not be replaced.
    bool replace(const QByteArray& content);

    // True when the failure came before any byte was written (the file could not be opened).
    bool failedToOpen() const { return m_failedToOpen; }
    // The system's reason for the failure; empty after a successful write.
    const QString& reason() const { return m_reason; }
    // "Unable to open file "<path>" for writing: <reason>" or
    // "Unable to write file "<path>": <reason>"; empty after a successful write.
    QString errorString() const;

private:
    QString m_path;
    QString m_reason;
    bool m_failedToOpen = false;
};

} // namespace lum

#pragma once

#include "lum/core/Expected.h"

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

    // Nothing, or a JobError::File error whose message is cantOpenMessage (nothing was written)
    // or cantWriteMessage, and whose reason is the system's ("No space left on device").
    Expected<void> replace(const QByteArray& content) const;

    // "Unable to open file "<path>" for writing:"
    static QString cantOpenMessage(const QString& path);
    // "Unable to write file "<path>":"
    static QString cantWriteMessage(const QString& path);

private:
    QString m_path;
};

} // namespace lum

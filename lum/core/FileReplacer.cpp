#include "lum/core/FileReplacer.h"

#include <QFileInfo>
#include <QSaveFile>

namespace lum {

Expected<void> FileReplacer::replace(const QByteArray& content) const
{
    const auto cantOpen = [this](const QString& reason) {
        return Error(JobError::File, cantOpenMessage(m_path), reason, m_path);
    };
    const auto cantWrite = [this](const QString& reason) {
        return Error(JobError::File, cantWriteMessage(m_path), reason, m_path);
    };
    const QFileInfo target(m_path);
    if (target.isDir())
        return cantOpen(QStringLiteral("It is a folder."));
    // A pipe or a device would be replaced by a regular file of the same name, which is not
    // what its reader waits for.
    if (target.exists() && !target.isFile())
        return cantOpen(QStringLiteral("It is not a regular file (a pipe, a device or a socket); "
                                       "only regular files are written."));
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return cantOpen(file.errorString());
    // A short write sets no error; the next write then fails with the system's reason.
    qint64 written = 0;
    while (written < content.size()) {
        const qint64 n = file.write(content.constData() + written, content.size() - written);
        if (n <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return cantWrite(reason);
        }
        written += n;
    }
    if (!file.commit())
        return cantWrite(file.errorString());
    return {};
}

QString FileReplacer::cantOpenMessage(const QString& path)
{
    return QStringLiteral("Unable to open file \"%1\" for writing:").arg(path);
}

QString FileReplacer::cantWriteMessage(const QString& path)
{
    return QStringLiteral("Unable to write file \"%1\":").arg(path);
}

} // namespace lum

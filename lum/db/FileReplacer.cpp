#include "lum/db/FileReplacer.h"

#include <QFileInfo>
#include <QSaveFile>

namespace lum {

bool FileReplacer::replace(const QByteArray& content)
{
    m_reason.clear();
    m_failedToOpen = false;
    if (QFileInfo(m_path).isDir()) {
        m_failedToOpen = true;
        m_reason = QStringLiteral("It is a folder.");
        return false;
    }
    // A pipe or a device would be replaced by a regular file of the same name, which is not
    // what its reader waits for.
    const QFileInfo target(m_path);
    if (target.exists() && !target.isFile()) {
        m_failedToOpen = true;
        m_reason = QStringLiteral("It is not a regular file (a pipe, a device or a socket); only "
                                  "regular files are written.");
        return false;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_failedToOpen = true;
        m_reason = file.errorString();
        return false;
    }
    // A short write sets no error; the next write then fails with the system's reason.
    qint64 written = 0;
    while (written < content.size()) {
        const qint64 n = file.write(content.constData() + written, content.size() - written);
        if (n <= 0) {
            m_reason = file.errorString();
            file.cancelWriting();
            return false;
        }
        written += n;
    }
    if (!file.commit()) {
        m_reason = file.errorString();
        return false;
    }
    return true;
}

QString FileReplacer::errorString() const
{
    if (m_reason.isEmpty())
        return QString();
    if (m_failedToOpen)
        return QStringLiteral("Unable to open file \"%1\" for writing: %2").arg(m_path, m_reason);
    return QStringLiteral("Unable to write file \"%1\": %2").arg(m_path, m_reason);
}

} // namespace lum

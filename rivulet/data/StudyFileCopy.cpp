#include "rivulet/data/StudyFileCopy.h"

#include "lum/db/SqliteDb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QTemporaryFile>

namespace rivulet {

lum::Expected<void> copyStudyFile(lum::SqliteDb& db, const QString& target)
{
    const auto fail = [](const QString& message, lum::JobError code = lum::JobError::File) {
        return lum::Error(code, message);
    };
    if (!db.isOpen())
        return fail(QStringLiteral("No study is open."), lum::JobError::Database);
    const QFileInfo info(target);
    if (info.isDir())
        return fail(QStringLiteral("\"%1\" is a folder.").arg(target));
    if (QFileInfo(db.path()).canonicalFilePath() == info.canonicalFilePath())
        return fail(QStringLiteral("\"%1\" is the study's own file.").arg(target));
    // A name of our own beside the target: VACUUM INTO refuses an existing file, and the
    // rename below stays on one file system.
    QString temporary;
    {
        QTemporaryFile reserve(info.absoluteDir().filePath(info.fileName() + ".XXXXXX"));
        if (!reserve.open())
            return fail(QStringLiteral("Unable to write in the folder of \"%1\": %2")
                            .arg(target, reserve.errorString()));
        temporary = reserve.fileName();
    }
    QFile::remove(temporary);
    if (lum::Expected<void> copied = db.exec(QStringLiteral("vacuum into ?"), {temporary});
        !copied) {
        QFile::remove(temporary);
        return fail(QStringLiteral("Unable to copy the study to \"%1\": %2")
                        .arg(target, copied.error().text()),
                    lum::JobError::Database);
    }
    if (QFileInfo::exists(target) && !QFile::remove(target)) {
        QFile::remove(temporary);
        return fail(QStringLiteral("Unable to replace \"%1\".").arg(target));
    }
    if (!QFile::rename(temporary, target)) {
        QFile::remove(temporary);
        return fail(QStringLiteral("Unable to write \"%1\".").arg(target));
    }
    return {};
}

} // namespace rivulet

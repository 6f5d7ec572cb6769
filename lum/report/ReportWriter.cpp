#include "lum/report/ReportWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace lum {

namespace {

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString ReportWriter::cantOpenMessage(const QString& filePath)
{
    return QStringLiteral("Can't open ") + quoted(filePath) + QStringLiteral(" for writing.");
}

QString ReportWriter::createdMessage(const QString& filePath)
{
    return QStringLiteral("File ") + quoted(filePath) + QStringLiteral(" created.");
}

bool ReportWriter::writeHtml(const QString& filePath, const QString& html)
{
    return writeStream(filePath, [&html](QTextStream& out) { out << html << '\n'; });
}

bool ReportWriter::writeCsv(const QString& filePath, const QString& csvText)
{
    return writeStream(filePath, [&csvText](QTextStream& out) { out << csvText; });
}

bool ReportWriter::writeStream(const QString& filePath, const StreamWriter& write)
{
    m_errorString.clear();
    m_reason.clear();
    if (filePath.isEmpty())
        return fail(cantOpenMessage(filePath), QStringLiteral("No file name given."));

    const QFileInfo info(filePath);
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder))
        return fail(cantOpenMessage(filePath),
                    QStringLiteral("Unable to create folder ") + quoted(folder) + QLatin1Char('.'));
    if (info.isDir())
        return fail(cantOpenMessage(filePath), QStringLiteral("It is a folder."));

    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return fail(cantOpenMessage(filePath), file.errorString());

    QTextStream out(&file);
    out.setCodec("UTF-8");
    write(out);
    out.flush();
    if (out.status() != QTextStream::Ok) {
        file.cancelWriting();
        return fail(QStringLiteral("Can't write ") + quoted(filePath) + QLatin1Char('.'),
                    file.errorString());
    }
    if (!file.commit())
        return fail(QStringLiteral("Can't write ") + quoted(filePath) + QLatin1Char('.'),
                    file.errorString());
    return true;
}

bool ReportWriter::fail(const QString& message, const QString& reason)
{
    m_errorString = message;
    m_reason = reason;
    return false;
}

} // namespace lum

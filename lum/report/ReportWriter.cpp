#include "lum/report/ReportWriter.h"

#include "lum/db/FileReplacer.h"

#include <QDir>
#include <QFileInfo>
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

    // Reports are small: compose the whole text first so that a failed write is seen
    // before anything replaces the file.
    QString text;
    QTextStream out(&text);
    write(out);
    out.flush();
    if (out.status() != QTextStream::Ok)
        return fail(QStringLiteral("Can't write ") + quoted(filePath) + QLatin1Char('.'),
                    QStringLiteral("The report's text could not be composed."));
    FileReplacer file(filePath);
    if (!file.replace(text.toUtf8())) {
        return fail(file.failedToOpen()
                        ? cantOpenMessage(filePath)
                        : QStringLiteral("Can't write ") + quoted(filePath) + QLatin1Char('.'),
                    file.reason());
    }
    return true;
}

bool ReportWriter::fail(const QString& message, const QString& reason)
{
    m_errorString = message;
    m_reason = reason;
    return false;
}

} // namespace lum

#include "lum/report/ReportWriter.h"

#include "lum/db/FileReplacer.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTextDocumentWriter>
#include <QTextStream>

namespace lum {

namespace {

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

const QString htmlFilter = QStringLiteral("HTML (*.html *.htm)");
const QString openDocumentFilter = QStringLiteral("OpenDocument Text (*.odt)");

} // namespace

QString ReportWriter::cantOpenMessage(const QString& filePath)
{
    return QStringLiteral("Can't open ") + quoted(filePath) + QStringLiteral(" for writing.");
}

QString ReportWriter::createdMessage(const QString& filePath)
{
    return QStringLiteral("File ") + quoted(filePath) + QStringLiteral(" created.");
}

QString ReportWriter::reportFilter()
{
    return htmlFilter + QStringLiteral(";;") + openDocumentFilter;
}

ReportWriter::Format ReportWriter::reportFormat(const QString& filePath,
                                                const QString& selectedFilter)
{
    const QString suffix = QFileInfo(filePath).suffix().toLower();
    if (suffix == QLatin1String("odt"))
        return Format::OpenDocument;
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        return Format::Html;
    return selectedFilter == openDocumentFilter ? Format::OpenDocument : Format::Html;
}

QString ReportWriter::suffixOf(Format format)
{
    return format == Format::OpenDocument ? QStringLiteral("odt") : QStringLiteral("html");
}

QString ReportWriter::withSuffix(const QString& filePath, const QString& suffix)
{
    if (filePath.isEmpty() || !QFileInfo(filePath).suffix().isEmpty())
        return filePath;
    return filePath + QLatin1Char('.') + suffix;
}

bool ReportWriter::writeOpenDocument(const QString& filePath, const QTextDocument& document)
{
    if (!prepareTarget(filePath))
        return false;
    // Composed in memory so that, as with the other formats, only a complete file replaces the
    // target.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QTextDocumentWriter writer(&buffer, QByteArrayLiteral("odf"));
    if (!writer.write(&document))
        return fail(QStringLiteral("Can't write ") + quoted(filePath) + QLatin1Char('.'),
                    QStringLiteral("The report could not be converted to OpenDocument text."));
    return replaceTarget(filePath, buffer.data());
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
    if (!prepareTarget(filePath))
        return false;

    // Reports are small: compose the whole text first so that a failed write is seen
    // before anything replaces the file.
    QString text;
    QTextStream out(&text);
    write(out);
    out.flush();
    if (out.status() != QTextStream::Ok)
        return fail(QStringLiteral("Can't write ") + quoted(filePath) + QLatin1Char('.'),
                    QStringLiteral("The report's text could not be composed."));
    return replaceTarget(filePath, text.toUtf8());
}

bool ReportWriter::prepareTarget(const QString& filePath)
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
    return true;
}

bool ReportWriter::replaceTarget(const QString& filePath, const QByteArray& content)
{
    FileReplacer file(filePath);
    if (!file.replace(content)) {
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

#include "lum/report/ReportWriter.h"

#include "lum/core/FileReplacer.h"

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

QString cantWriteMessage(const QString& filePath)
{
    return QStringLiteral("Can't write ") + quoted(filePath) + QLatin1Char('.');
}

Error fileError(const QString& message, const QString& reason, const QString& filePath)
{
    return Error(JobError::File, message, reason, filePath);
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

Expected<void> ReportWriter::writeOpenDocument(const QString& filePath,
                                               const QTextDocument& document) const
{
    if (Expected<void> ready = prepareTarget(filePath); !ready)
        return ready;
    // Composed in memory so that, as with the other formats, only a complete file replaces the
    // target.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QTextDocumentWriter writer(&buffer, QByteArrayLiteral("odf"));
    if (!writer.write(&document))
        return fileError(cantWriteMessage(filePath),
                         QStringLiteral("The report could not be converted to OpenDocument text."),
                         filePath);
    return replaceTarget(filePath, buffer.data());
}

Expected<void> ReportWriter::writeHtml(const QString& filePath, const QString& html) const
{
    return writeStream(filePath, [&html](QTextStream& out) { out << html << '\n'; });
}

Expected<void> ReportWriter::writeCsv(const QString& filePath, const QString& csvText) const
{
    return writeStream(filePath, [&csvText](QTextStream& out) { out << csvText; });
}

Expected<void> ReportWriter::writeStream(const QString& filePath, const StreamWriter& write) const
{
    if (Expected<void> ready = prepareTarget(filePath); !ready)
        return ready;

    // Reports are small: compose the whole text first so that a failed write is seen
    // before anything replaces the file.
    QString text;
    QTextStream out(&text);
    write(out);
    out.flush();
    if (out.status() != QTextStream::Ok)
        return fileError(cantWriteMessage(filePath),
                         QStringLiteral("The report's text could not be composed."), filePath);
    return replaceTarget(filePath, text.toUtf8());
}

Expected<void> ReportWriter::prepareTarget(const QString& filePath)
{
    if (filePath.isEmpty())
        return fileError(cantOpenMessage(filePath), QStringLiteral("No file name given."),
                         filePath);
    const QFileInfo info(filePath);
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder))
        return fileError(cantOpenMessage(filePath),
                         QStringLiteral("Unable to create folder ") + quoted(folder) +
                             QLatin1Char('.'),
                         filePath);
    if (info.isDir())
        return fileError(cantOpenMessage(filePath), QStringLiteral("It is a folder."), filePath);
    return {};
}

Expected<void> ReportWriter::replaceTarget(const QString& filePath, const QByteArray& content)
{
    const Expected<void> replaced = FileReplacer(filePath).replace(content);
    if (replaced)
        return replaced;
    const bool nothingWritten = replaced.error().message == FileReplacer::cantOpenMessage(filePath);
    return fileError(nothingWritten ? cantOpenMessage(filePath) : cantWriteMessage(filePath),
                     replaced.error().reason, filePath);
}

} // namespace lum

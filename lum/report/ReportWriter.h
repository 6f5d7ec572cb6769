#pragma once

#include "lum/core/Expected.h"

#include <QString>

#include <functional>

class QTextDocument;
class QTextStream;

namespace lum {

// Writes a report's text to a file, for the save dialogs of the application
// window and for the headless tool alike. A missing folder is created first.
// The text goes to a temporary file beside the target that replaces the
// target only when everything was written, so a failed save never leaves a
// half-written file that looks complete (and an existing file stays intact).
// Every failure is reported: the write returns a JobError::File error whose
// message names the file ("Can't open "<file>" for writing." or "Can't
// write "<file>".") and whose reason tells what the system said.
class ReportWriter
{
public:
    using StreamWriter = std::function<void(QTextStream&)>;

    // The formats a report is saved in; each is what its file name says it is.
    enum class Format
    {
        Html,
        OpenDocument
    };

    // The report's HTML text followed by a line end (the "Save Report" file).
    Expected<void> writeHtml(const QString& filePath, const QString& html) const;
    // The document as OpenDocument text (.odt).
    Expected<void> writeOpenDocument(const QString& filePath, const QTextDocument& document) const;
    // CSV text, written as given.
    Expected<void> writeCsv(const QString& filePath, const QString& csvText) const;
    // Whatever `write` puts on the stream, e.g. a CSV writer's output.
    Expected<void> writeStream(const QString& filePath, const StreamWriter& write) const;

    // Texts shared by the save dialogs and the messages around them.
    // One filter per format that is written, HTML first.
    static QString reportFilter();
    static QString csvFilter() { return QStringLiteral("Comma Separated Value (*.csv)"); }
    // The format of a report file: its extension when it names a format, otherwise the filter
    // chosen in the dialog (HTML when none).
    static Format reportFormat(const QString& filePath, const QString& selectedFilter);
    // The file's extension: "html" or "odt".
    static QString suffixOf(Format format);
    // `filePath` with "." + `suffix` added when the name has no extension of its own.
    static QString withSuffix(const QString& filePath, const QString& suffix);
    // "Can't open "<file>" for writing."
    static QString cantOpenMessage(const QString& filePath);
    // "File "<file>" created."
    static QString createdMessage(const QString& filePath);

private:
    // Why `filePath` cannot take a file, if it cannot (its folder is made when missing).
    static Expected<void> prepareTarget(const QString& filePath);
    // Replaces the file with `content` whole, or leaves it as it was.
    static Expected<void> replaceTarget(const QString& filePath, const QByteArray& content);
};

} // namespace lum

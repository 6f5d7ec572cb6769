#pragma once

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
// Every failure is reported: the write returns false and errorString() names
// the file; reason() tells what the system said.
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
    bool writeHtml(const QString& filePath, const QString& html);
    // The document as OpenDocument text (.odt).
    bool writeOpenDocument(const QString& filePath, const QTextDocument& document);
    // CSV text, written as given.
    bool writeCsv(const QString& filePath, const QString& csvText);
    // Whatever `write` puts on the stream, e.g. a CSV writer's output.
    bool writeStream(const QString& filePath, const StreamWriter& write);

    // The message for the user, empty after a successful write:
    // "Can't open "<file>" for writing." or "Can't write "<file>".".
    const QString& errorString() const { return m_errorString; }
    // The underlying cause (a folder that cannot be created, the system's error).
    const QString& reason() const { return m_reason; }

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
    // Clears the last error; false (with the error) when `filePath` cannot take a file.
    bool prepareTarget(const QString& filePath);
    // Replaces the file with `content` whole, or leaves it as it was (with the error).
    bool replaceTarget(const QString& filePath, const QByteArray& content);
    bool fail(const QString& message, const QString& reason);

    QString m_errorString;
    QString m_reason;
};

} // namespace lum

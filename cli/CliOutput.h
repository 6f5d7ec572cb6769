#pragma once

#include <QByteArray>
#include <QString>
#include <QTextStream>

#include <memory>

namespace rivulet::cli {

// Where the tool's messages go: status lines to standard output, warnings
// and errors to standard error marked "warning:" and "error:", and, only
// when standard error is a terminal, a percentage line that is rewritten in
// place and cleared before the next message.
class CliOutput
{
public:
    // The process's standard output and error.
    CliOutput();
    // Given streams (tests); `showProgress` as if on a terminal.
    CliOutput(QTextStream& out, QTextStream& err, bool showProgress);
    ~CliOutput();
    CliOutput(const CliOutput&) = delete;
    CliOutput& operator=(const CliOutput&) = delete;

    void status(const QString& line);
    void warning(const QString& text);
    void error(const QString& text);
    // Plain text to standard output as it is (help, tables).
    void print(const QString& text);
    void progress(int percent);
    // What to do about an output file that cannot be written, added to its error.
    static const QString outputHint;

    // Writes `content` to the file, replacing it only once all is written, or prints it when
    // no file or "-" is given. False, after reporting the error, when the file cannot be
    // written (only regular files are).
    bool writeFileOrPrint(const QString& path, const QByteArray& content);
    // Removes the percentage line, if one is shown.
    void endProgress();

private:
    void writeLine(QTextStream& stream, const QString& prefix, const QString& text);

    std::unique_ptr<QTextStream> m_stdout;
    std::unique_ptr<QTextStream> m_stderr;
    QTextStream* m_out = nullptr;
    QTextStream* m_err = nullptr;
    bool m_showProgress = false;
    bool m_progressShown = false;
};

} // namespace rivulet::cli

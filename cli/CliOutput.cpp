#include "cli/CliOutput.h"

#include "lum/core/FileReplacer.h"

#include <cstdio>
#include <unistd.h>

namespace rivulet::cli {

const QString CliOutput::outputHint =
    QStringLiteral(" Name a regular file, or \"-\" for standard output.");

CliOutput::CliOutput()
    : m_stdout(std::make_unique<QTextStream>(stdout)),
      m_stderr(std::make_unique<QTextStream>(stderr)), m_out(m_stdout.get()), m_err(m_stderr.get()),
      m_showProgress(isatty(fileno(stderr)) != 0)
{
}

CliOutput::CliOutput(QTextStream& out, QTextStream& err, bool showProgress)
    : m_out(&out), m_err(&err), m_showProgress(showProgress)
{
}

CliOutput::~CliOutput()
{
    endProgress();
}

void CliOutput::writeLine(QTextStream& stream, const QString& prefix, const QString& text)
{
    endProgress();
    // Standard error is unbuffered, standard output is not: flush the
    // other stream first so the lines keep their order on one terminal.
    (&stream == m_out ? m_err : m_out)->flush();
    stream << prefix << text << '\n';
    stream.flush();
}

void CliOutput::status(const QString& line)
{
    writeLine(*m_out, QString(), line);
}

void CliOutput::warning(const QString& text)
{
    writeLine(*m_err, QStringLiteral("warning: "), text);
}

void CliOutput::error(const QString& text)
{
    writeLine(*m_err, QStringLiteral("error: "), text);
}

void CliOutput::print(const QString& text)
{
    endProgress();
    *m_out << text;
    m_out->flush();
}

void CliOutput::progress(int percent)
{
    if (!m_showProgress)
        return;
    m_out->flush();
    *m_err << '\r' << QStringLiteral("%1%").arg(percent, 3);
    m_err->flush();
    m_progressShown = true;
}

bool CliOutput::writeFileOrPrint(const QString& path, const QByteArray& content)
{
    if (path.isEmpty() || path == QLatin1String("-")) {
        print(QString::fromUtf8(content));
        return true;
    }
    if (const lum::Expected<void> written = lum::FileReplacer(path).replace(content); !written) {
        error(written.error().text() + outputHint);
        return false;
    }
    return true;
}

void CliOutput::endProgress()
{
    if (!m_progressShown)
        return;
    *m_err << "\r    \r";
    m_err->flush();
    m_progressShown = false;
}

} // namespace rivulet::cli

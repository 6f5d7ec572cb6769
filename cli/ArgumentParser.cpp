#include "cli/ArgumentParser.h"

#include <QCommandLineOption>

#include <utility>

namespace rivulet::cli {

namespace {

// The option name of an argument: "--out=x" and "-out" give "out".
QString optionName(const QString& argument)
{
    QString name = argument;
    while (name.startsWith(QLatin1Char('-')))
        name.remove(0, 1);
    const int equals = name.indexOf(QLatin1Char('='));
    return equals < 0 ? name : name.left(equals);
}

} // namespace

ArgumentParser::ArgumentParser(QString command) : m_command(std::move(command))
{
    // "-db" is the option "db", never the flags d and b.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (m_command.isEmpty()) {
        m_parser.setOptionsAfterPositionalArgumentsMode(
            QCommandLineParser::ParseAsPositionalArguments);
    }
}

void ArgumentParser::addOption(const QString& name, const QString& valueName, Occurrence occurrence)
{
    m_parser.addOption(QCommandLineOption(name, QString(), valueName));
    m_valueOptions << name;
    if (occurrence == Once)
        m_onceOptions << name;
    if (valueName == QLatin1String("FILE"))
        m_fileOptions << name;
}

void ArgumentParser::addFlag(const QStringList& names)
{
    m_parser.addOption(QCommandLineOption(names));
}

QString ArgumentParser::missingValue(const QString& name) const
{
    return m_fileOptions.contains(name) ? QStringLiteral("option --%1 needs a file name").arg(name)
                                        : QStringLiteral("option --%1 needs a value").arg(name);
}

QString ArgumentParser::unknownOption(const QStringList& arguments) const
{
    const QStringList unknown = m_parser.unknownOptionNames();
    QString argument = QStringLiteral("--") + unknown.value(0);
    for (const QString& given : arguments) {
        if (given.startsWith(QLatin1Char('-')) && unknown.contains(optionName(given))) {
            argument = given;
            break;
        }
    }
    if (m_command.isEmpty())
        return QStringLiteral("unknown option \"%1\"").arg(optionName(argument).prepend("--"));
    return QStringLiteral("%1 does not take \"%2\"").arg(m_command, argument);
}

bool ArgumentParser::parse(const QStringList& arguments)
{
    m_error.clear();
    // The parser expects the program name first.
    if (!m_parser.parse(QStringList{QStringLiteral("rivulet-cli")} + arguments)) {
        if (!m_parser.unknownOptionNames().isEmpty()) {
            m_error = unknownOption(arguments);
        } else {
            // "Missing value after '--name'." is the only other error the parser gives.
            const QString text = m_parser.errorText();
            const int open = text.indexOf(QLatin1Char('\''));
            const int close = text.lastIndexOf(QLatin1Char('\''));
            m_error = open >= 0 && close > open
                          ? missingValue(optionName(text.mid(open + 1, close - open - 1)))
                          : text;
        }
        return false;
    }
    for (const QString& name : m_valueOptions) {
        if (m_onceOptions.contains(name) && m_parser.values(name).size() > 1) {
            m_error = QStringLiteral("option --%1 may be given only once").arg(name);
            return false;
        }
        for (const QString& value : m_parser.values(name)) {
            if (value.isEmpty()) {
                m_error = missingValue(name);
                return false;
            }
        }
    }
    return true;
}

} // namespace rivulet::cli

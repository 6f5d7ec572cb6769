#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace rivulet::cli {

// The one parser of the tool's command line, on QCommandLineParser. The global line reads
// the options before the command and stops at the command (everything after it belongs to
// the command); each command reads its own options and arguments with another parser.
// Options take their value as the next argument (which may start with a dash) or after "=";
// an empty value is an error.
//
//     ArgumentParser parser(QStringLiteral("fit"));
//     parser.addOption(QStringLiteral("out"), QStringLiteral("DIR"));
//     if (!parser.parse(arguments))
//         return usageError(parser.error());
class ArgumentParser
{
public:
    // `command` names the command in error messages; empty for the global line.
    explicit ArgumentParser(QString command = QString());

    // How often an option may be given.
    enum Occurrence
    {
        // At most once: a second value is an error (an output file).
        Once,
        // Any number of times; the last value counts (the global options).
        LastWins,
        // Any number of times; every value counts (values()).
        Repeated
    };

    // An option with a value; `valueName` "FILE" words the missing-value error as "needs a
    // file name".
    void addOption(const QString& name, const QString& valueName, Occurrence occurrence = Once);
    // An option without a value (a flag), with its other names (e.g. "h" for "help").
    void addFlag(const QStringList& names);

    // False, with error() set, for an unknown option or a missing or empty value.
    bool parse(const QStringList& arguments);
    const QString& error() const { return m_error; }

    bool isSet(const QString& name) const { return m_parser.isSet(name); }
    QString value(const QString& name) const { return m_parser.value(name); }
    QStringList values(const QString& name) const { return m_parser.values(name); }
    // The arguments that are not options; for the global line, the command and its own
    // arguments.
    QStringList positionalArguments() const { return m_parser.positionalArguments(); }

private:
    QString missingValue(const QString& name) const;
    QString unknownOption(const QStringList& arguments) const;

    QString m_command;
    QCommandLineParser m_parser;
    QStringList m_fileOptions;
    QStringList m_valueOptions;
    QStringList m_onceOptions;
    QString m_error;
};

} // namespace rivulet::cli

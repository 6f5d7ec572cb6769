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

ArgumentParser::ArgumentParser(QString command) : command_(std::move(command))
{
    // "-db" is the option "db", never the flags d and b.
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (command_.isEmpty()) {
        parser_.setOptionsAfterPositionalArgumentsMode(
            QCommandLineParser::ParseAsPositionalArguments);
    }
}

void ArgumentParser::addOption(const QString& name, const QString& valueName, Occurrence occurrence)
{
    parser_.addOption(QCommandLineOption(name, QString(), valueName));
    valueOptions_ << name;
    if (occurrence == Once)
        onceOptions_ << name;
    if (valueName == QLatin1String("FILE"))
        fileOptions_ << name;
}

void ArgumentParser::addFlag(const QStringList& names)
{
    parser_.addOption(QCommandLineOption(names));
}

QString ArgumentParser::missingValue(const QString& name) const
{
    return fileOptions_.contains(name) ? QStringLiteral("option --%1 needs a file name").arg(name)
                                       : QStringLiteral("option --%1 needs a value").arg(name);
}

QString ArgumentParser::unknownOption(const QStringList& arguments) const
{
    const QStringList unknown = parser_.unknownOptionNames();
    QString argument = QStringLiteral("--") + unknown.value(0);
    for (const QString& given : arguments) {
        if (given.startsWith(QLatin1Char('-')) && unknown.contains(optionName(given))) {
            argument = given;
            break;
        }
    }
    if (command_.isEmpty())
        return QStringLiteral("unknown option \"%1\"").arg(optionName(argument).prepend("--"));
    return QStringLiteral("%1 does not take \"%2\"").arg(command_, argument);
}

bool ArgumentParser::parse(const QStringList& arguments)
{
    error_.clear();
    // The parser expects the program name first.
    if (!parser_.parse(QStringList{QStringLiteral("rivulet-cli")} + arguments)) {
        if (!parser_.unknownOptionNames().isEmpty()) {
            error_ = unknownOption(arguments);
        } else {
            // "Missing value after '--name'." is the only other error the parser gives.
            const QString text = parser_.errorText();
            const int open = text.indexOf(QLatin1Char('\''));
            const int close = text.lastIndexOf(QLatin1Char('\''));
            error_ = open >= 0 && close > open
                         ? missingValue(optionName(text.mid(open + 1, close - open - 1)))
                         : text;
        }
        return false;
    }
    for (const QString& name : valueOptions_) {
        if (onceOptions_.contains(name) && parser_.values(name).size() > 1) {
            error_ = QStringLiteral("option --%1 may be given only once").arg(name);
            return false;
        }
        for (const QString& value : parser_.values(name)) {
            if (value.isEmpty()) {
                error_ = missingValue(name);
                return false;
            }
        }
    }
    return true;
}

} // namespace rivulet::cli

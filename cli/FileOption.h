#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>

namespace rivulet::cli {

class CliOutput;

// A command's one optional output file, "--name FILE" or "--name=FILE": without it the
// command writes to standard output.
class FileOption
{
public:
    explicit FileOption(QString name) : name_(std::move(name)) {}

    // Reads the command's arguments; false, after reporting the usage error through `out`,
    // when they hold anything else or the option lacks its file.
    bool parse(const QStringList& arguments, CliOutput& out, const QString& command);
    // The file given; empty when the option was not given.
    QString path() const { return path_; }

    // Writes `content` to the file, replacing it only once all is written, or to standard
    // output when no file was given. False, after reporting the error, when the file cannot
    // be written.
    bool write(const QByteArray& content, CliOutput& out) const;

private:
    QString name_;
    QString path_;
};

} // namespace rivulet::cli

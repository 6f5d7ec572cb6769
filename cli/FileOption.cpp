#include "cli/FileOption.h"

#include "cli/CliOutput.h"

#include <QSaveFile>

namespace rivulet::cli {

bool FileOption::parse(const QStringList& arguments, CliOutput& out, const QString& command)
{
    const QString option = QStringLiteral("--") + name_;
    const QString prefix = option + QLatin1Char('=');
    path_.clear();
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == option && i + 1 < arguments.size() && path_.isEmpty()) {
            path_ = arguments.at(++i);
        } else if (argument.startsWith(prefix) && argument.size() > prefix.size() &&
                   path_.isEmpty()) {
            path_ = argument.mid(prefix.size());
        } else {
            out.error(
                argument == option
                    ? QStringLiteral("%1 needs a file").arg(option)
                    : QStringLiteral("%1: unexpected argument \"%2\"").arg(command, argument));
            return false;
        }
    }
    return true;
}

bool FileOption::write(const QByteArray& content, CliOutput& out) const
{
    if (path_.isEmpty()) {
        out.print(QString::fromUtf8(content));
        return true;
    }
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.commit()) {
        out.error(QStringLiteral("Unable to open file \"%1\" for writing: %2")
                      .arg(path_, file.errorString()));
        return false;
    }
    return true;
}

} // namespace rivulet::cli

#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace rivulet::test {

// A small configuration of version `version` ("yyyy.M.d") whose only
// detection site is `site`.
inline QByteArray configText(const QByteArray& version, const QByteArray& site)
{
    return "configDate: " + version + "\nCONFIGDATE: " + version + "\nRELSITE: REL\nRIVERK: 600\n" +
           "SITE: " + site + "\nRIVERK: 461\n";
}

inline void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content) != content.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

} // namespace rivulet::test

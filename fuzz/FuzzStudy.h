#pragma once

#include "rivulet/data/RivuletDb.h"
#include "rivulet/sitesconfig/SitesConfigSettingsI.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace rivulet::fuzz {

// What every loader target needs once per process: an application object, a private
// folder and a study database in it. Inputs reach the loaders as files, as in the program.
class FuzzStudy
{
public:
    static FuzzStudy& instance()
    {
        static FuzzStudy study;
        return study;
    }

    QString writeInput(const std::uint8_t* data, std::size_t size)
    {
        const QString path = m_dir.filePath(QStringLiteral("input.csv"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                static_cast<qint64>(size))
            std::abort();
        return path;
    }

    QString folder() const { return m_dir.path(); }
    RivuletDb& db() { return m_db; }

private:
    FuzzStudy()
    {
        // The settings of the program stay out of reach: everything lives in the folder.
        qputenv("HOME", m_dir.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
        qputenv("XDG_DATA_HOME", m_dir.path().toUtf8());
        if (!m_dir.isValid() || m_db.open(m_dir.filePath(QStringLiteral("study.db"))) != 0)
            std::abort();
        // A load per input: no waiting for the disk, and no message per refused row.
        m_db.database()->exec(QStringLiteral("PRAGMA synchronous=OFF"));
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    }

    int m_argc = 1;
    char m_name[8] = "fuzzer";
    char* m_argv[2] = {m_name, nullptr};
    QCoreApplication m_app{m_argc, m_argv};
    QTemporaryDir m_dir;
    RivuletDb m_db;
};

// The sites configuration's settings with a folder of the fuzzer's own and no update check.
class FuzzSitesConfigSettings : public SitesConfigSettingsI
{
public:
    explicit FuzzSitesConfigSettings(QString dir) : m_dir(std::move(dir)) {}
    QString sitesConfigDir() const override { return m_dir; }
    QString sitesConfigFileName() const override { return QStringLiteral("sites_config.txt"); }
    QDate lastUpdateCheck() const override { return QDate::currentDate(); }
    void setLastUpdateCheck(const QDate&) override {}

private:
    QString m_dir;
};

} // namespace rivulet::fuzz

#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>

namespace rivulet::fuzz {

// What the reader targets need once per process: an application object, and the program's
// settings kept out of reach in a private folder. The readers take the input's bytes as they
// are; none needs a database.
class FuzzEnvironment
{
public:
    static FuzzEnvironment& instance()
    {
        static FuzzEnvironment environment;
        return environment;
    }

private:
    FuzzEnvironment()
    {
        if (!m_dir.isValid())
            std::abort();
        qputenv("HOME", m_dir.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
        qputenv("XDG_DATA_HOME", m_dir.path().toUtf8());
        // No message per refused row.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    }

    int m_argc = 1;
    char m_name[8] = "fuzzer";
    char* m_argv[2] = {m_name, nullptr};
    QCoreApplication m_app{m_argc, m_argv};
    QTemporaryDir m_dir;
};

} // namespace rivulet::fuzz

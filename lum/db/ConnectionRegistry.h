#pragma once

#include <QHash>
#include <QMetaObject>
#include <QMutex>
#include <QSqlDatabase>
#include <QString>

#include <memory>

namespace lum {

// The per-thread connections of one open database file. A thread's connection is made on its
// first use and removed when the thread finishes (through QThread::finished for Qt threads, and
// at thread exit for any thread), so repeated worker runs do not pile up connections.
// Internal to SqliteDb.
class ConnectionRegistry : public std::enable_shared_from_this<ConnectionRegistry>
{
public:
    explicit ConnectionRegistry(QString path);
    // Removes every connection still registered.
    ~ConnectionRegistry();
    ConnectionRegistry(const ConnectionRegistry&) = delete;
    ConnectionRegistry& operator=(const ConnectionRegistry&) = delete;

    QString path() const { return m_path; }
    // The calling thread's connection, made and opened on first use.
    QSqlDatabase connection();
    int count() const;

    void removeCurrentThread();
    void removeAll();

private:
    struct Entry
    {
        QString name;
        QMetaObject::Connection finished;
    };

    QSqlDatabase addConnection(Qt::HANDLE thread);
    void watchThreadEnd();
    void remove(Qt::HANDLE thread);
    static void dropConnection(const Entry& entry, bool onOwnThread);

    const QString m_path;
    const int m_serial;
    mutable QMutex m_mutex;
    QHash<Qt::HANDLE, Entry> m_entries;
};

} // namespace lum

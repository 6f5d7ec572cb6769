#include "lum/db/ConnectionRegistry.h"

#include "lum/db/SqliteDb.h"

#include <QMutexLocker>
#include <QSqlQuery>
#include <QThread>

#include <atomic>
#include <utility>
#include <vector>

namespace lum {

namespace {

std::atomic<int> nextSerial{1};

// Removes the exiting thread's connections from every registry it used. QThread::finished does
// this for worker threads (Qt emits it for threads it did not start, too); this covers the main
// thread at process exit and any thread whose finished handler did not run. When finished has
// already removed the connections it finds nothing to do.
class ThreadExitCleanup
{
public:
    ThreadExitCleanup() = default;
    ThreadExitCleanup(const ThreadExitCleanup&) = delete;
    ThreadExitCleanup& operator=(const ThreadExitCleanup&) = delete;

    ~ThreadExitCleanup()
    {
        for (const auto& weak : m_registries)
            if (const auto registry = weak.lock())
                registry->removeCurrentThread();
    }

    void watch(const std::weak_ptr<ConnectionRegistry>& registry)
    {
        std::vector<std::weak_ptr<ConnectionRegistry>> alive;
        for (auto& weak : m_registries)
            if (!weak.expired())
                alive.push_back(std::move(weak));
        alive.push_back(registry);
        m_registries = std::move(alive);
    }

private:
    std::vector<std::weak_ptr<ConnectionRegistry>> m_registries;
};

ThreadExitCleanup& threadExitCleanup()
{
    thread_local ThreadExitCleanup cleanup;
    return cleanup;
}

QString threadLabel(Qt::HANDLE thread)
{
    const QString name = QThread::currentThread()->objectName();
    const QString id = QString::number(reinterpret_cast<quintptr>(thread), 16);
    return name.isEmpty() ? id : name + QLatin1Char('@') + id;
}

} // namespace

ConnectionRegistry::ConnectionRegistry(QString path)
    : m_path(std::move(path)), m_serial(nextSerial++)
{
}

ConnectionRegistry::~ConnectionRegistry()
{
    removeAll();
}

QSqlDatabase ConnectionRegistry::connection()
{
    const Qt::HANDLE thread = QThread::currentThreadId();
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_entries.constFind(thread);
        if (it != m_entries.cend())
            return QSqlDatabase::database(it->name, false);
    }
    return addConnection(thread);
}

QSqlDatabase ConnectionRegistry::addConnection(Qt::HANDLE thread)
{
    Entry entry;
    entry.name = QStringLiteral("lum_db%1_%2").arg(m_serial).arg(threadLabel(thread));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), entry.name);
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(SqliteDb::busyTimeoutMs));
    // A connection that does not open keeps its error, for the first statement run on it to
    // report.
    if (db.open()) {
        // Every thread's connection, not only the first: the long queries run on the jobs'
        // threads. Their sorts and temporary indexes stay in memory instead of temporary
        // files, and the page cache may grow to 64 MiB (it takes only what a query reads).
        QSqlQuery pragma(db);
        pragma.exec(QStringLiteral("PRAGMA temp_store=MEMORY"));
        pragma.exec(QStringLiteral("PRAGMA cache_size=-65536"));
    }

    // Only the owning thread removes its connection when it ends, so the finished handler runs
    // in that thread (finished is emitted from the thread itself).
    QThread* const qthread = QThread::currentThread();
    const std::weak_ptr<ConnectionRegistry> weak = weak_from_this();
    entry.finished = QObject::connect(qthread, &QThread::finished, [weak] {
        if (const auto registry = weak.lock())
            registry->removeCurrentThread();
    });
    threadExitCleanup().watch(weak);

    QMutexLocker lock(&m_mutex);
    m_entries.insert(thread, entry);
    return db;
}

int ConnectionRegistry::count() const
{
    QMutexLocker lock(&m_mutex);
    return m_entries.size();
}

void ConnectionRegistry::removeCurrentThread()
{
    remove(QThread::currentThreadId());
}

void ConnectionRegistry::remove(Qt::HANDLE thread)
{
    Entry entry;
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_entries.find(thread);
        if (it == m_entries.end())
            return;
        entry = *it;
        m_entries.erase(it);
    }
    dropConnection(entry, true);
}

void ConnectionRegistry::removeAll()
{
    QHash<Qt::HANDLE, Entry> entries;
    {
        QMutexLocker lock(&m_mutex);
        entries.swap(m_entries);
    }
    const Qt::HANDLE current = QThread::currentThreadId();
    for (auto it = entries.cbegin(); it != entries.cend(); ++it)
        dropConnection(it.value(), it.key() == current);
}

void ConnectionRegistry::dropConnection(const Entry& entry, bool onOwnThread)
{
    QObject::disconnect(entry.finished);
    if (onOwnThread) {
        // Only the owning thread may fetch its handle; the handle must be gone before removal.
        QSqlDatabase db = QSqlDatabase::database(entry.name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(entry.name);
}

} // namespace lum

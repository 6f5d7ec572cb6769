#include "lum/thread/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>

namespace lum {

struct WorkerPool::Loop
{
    Loop(std::size_t items, const std::function<void(std::size_t)>& work) : count(items), body(work)
    {
    }

    // Runs items until none is left to claim.
    void drain()
    {
        for (std::size_t i = next++; i < count; i = next++) {
            std::exception_ptr thrown;
            try {
                body(i);
            } catch (...) {
                thrown = std::current_exception();
            }
            const std::lock_guard<std::mutex> lock(mutex);
            if (thrown && i < failedItem) {
                failure = thrown;
                failedItem = i;
            }
            if (++done == count) {
                finished.notify_all();
            }
        }
    }

    bool exhausted() const { return next.load() >= count; }

    const std::size_t count;
    // The asker's, valid until every item has returned: only drain() calls it, and only for a
    // claimed item, which the asker waits for.
    const std::function<void(std::size_t)>& body;
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t done = 0;
    std::exception_ptr failure;
    std::size_t failedItem = std::numeric_limits<std::size_t>::max();
};

WorkerPool::WorkerPool(unsigned workers)
{
    m_threads.reserve(workers);
    for (unsigned t = 0; t < workers; ++t) {
        m_threads.emplace_back([this] { work(); });
    }
}

WorkerPool::~WorkerPool()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

WorkerPool& WorkerPool::shared()
{
    static WorkerPool pool(std::max(1u, std::thread::hardware_concurrency()) - 1);
    return pool;
}

void WorkerPool::parallelFor(std::size_t count, const std::function<void(std::size_t)>& body)
{
    if (count == 0) {
        return;
    }
    const auto loop = std::make_shared<Loop>(count, body);
    if (count > 1 && !m_threads.empty()) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_loops.push_back(loop);
        }
        m_wake.notify_all();
    }
    loop->drain();
    {
        std::unique_lock<std::mutex> lock(loop->mutex);
        loop->finished.wait(lock, [&] { return loop->done == loop->count; });
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_loops.erase(std::remove(m_loops.begin(), m_loops.end(), loop), m_loops.end());
    }
    if (loop->failure) {
        std::rethrow_exception(loop->failure);
    }
}

void WorkerPool::work()
{
    for (;;) {
        std::shared_ptr<Loop> loop;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_loops.empty(); });
            if (m_loops.empty()) {
                return;
            }
            loop = m_loops.front();
            if (loop->exhausted()) {
                // Every item is claimed: nothing here for another thread.
                m_loops.pop_front();
                continue;
            }
        }
        loop->drain();
    }
}

} // namespace lum

#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace lum {

// A fixed set of worker threads that share loops of independent items with the thread that
// asks. The asking thread works on its own loop too and waits only for items other threads
// have already begun, so a loop started from inside an item (a block fit whose likelihood
// splits its releases) always ends, whatever the number of workers, even none.
//
// The pool decides only where an item runs, never what it computes: callers that want
// numbers independent of the machine give every item its own output and combine them in
// item order afterwards.
class WorkerPool
{
public:
    // `workers` threads besides the asking ones; 0 runs every loop on the asking thread.
    explicit WorkerPool(unsigned workers);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    // Waits for the items that are running; no loop may be asked for meanwhile.
    ~WorkerPool();

    // The process-wide pool: one worker fewer than the machine has cores, as the asking
    // thread makes up the last one. Made on first use, ended at exit.
    static WorkerPool& shared();

    // Threads that can run items of one loop at once: the workers and the asking thread.
    unsigned concurrency() const { return static_cast<unsigned>(m_threads.size()) + 1; }

    // Calls body(i) once for every i in [0, count), on this thread and on idle workers, and
    // returns when every call has returned. When calls throw, the exception of the lowest i
    // is thrown again once all have ended.
    void parallelFor(std::size_t count, const std::function<void(std::size_t)>& body);

private:
    struct Loop;

    void work();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Loop>> m_loops; // loops that may have items left to claim
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace lum

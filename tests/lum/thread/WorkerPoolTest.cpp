#include "lum/thread/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

namespace lum {
namespace {

// Loops started from inside items (block fits whose likelihood splits its releases) must end
// with every item run once, whether the pool has fewer workers than items or none at all.
TEST(WorkerPoolTest, NestedLoopsRunEveryItemOnceWhateverTheWorkers)
{
    for (const unsigned workers : {0u, 1u, 3u}) {
        WorkerPool pool(workers);
        EXPECT_EQ(pool.concurrency(), workers + 1);
        std::vector<std::atomic<int>> runs(8 * 5);
        pool.parallelFor(8, [&](std::size_t outer) {
            pool.parallelFor(5, [&](std::size_t inner) { ++runs[outer * 5 + inner]; });
        });
        for (std::size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].load(), 1) << "item " << i << " with " << workers << " workers";
        }
    }
}

TEST(WorkerPoolTest, TheLowestItemsExceptionIsThrownOnceEveryItemHasEnded)
{
    WorkerPool pool(2);
    std::atomic<int> ended{0};
    try {
        pool.parallelFor(6, [&](std::size_t i) {
            ++ended;
            if (i == 1 || i == 4) {
                throw std::runtime_error("item " + std::to_string(i));
            }
        });
        ADD_FAILURE() << "nothing was thrown";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "item 1");
    }
    EXPECT_EQ(ended.load(), 6);
}

} // namespace
} // namespace lum

#pragma once

#include <cstddef>

namespace rivulet::test {

// Counts the global operator new calls made while an instance is alive (this thread).
class AllocationCounter
{
public:
    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    std::size_t count() const;
};

} // namespace rivulet::test

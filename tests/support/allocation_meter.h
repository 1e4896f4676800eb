// The most memory held at once through operator new while a meter is alive, so a
// test can say "a hostile input costs memory in proportion to its size" without
// timing anything, or make large allocations fail to see how code meets the end
// of memory. Linking this file into a test program replaces the global
// operator new and delete of that program.
#pragma once

#include <cstddef>

namespace testing_support {

class AllocationMeter {
public:
    // Blocks larger than `refuseBlocksOver` bytes fail with std::bad_alloc while
    // the meter is alive.
    explicit AllocationMeter(std::size_t refuseBlocksOver = static_cast<std::size_t>(-1));
    ~AllocationMeter();
    AllocationMeter(const AllocationMeter&) = delete;
    AllocationMeter& operator=(const AllocationMeter&) = delete;

    // The peak of the bytes allocated since the meter started and not yet freed.
    std::size_t peakBytes() const;
};

}  // namespace testing_support

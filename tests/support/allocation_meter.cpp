#include "tests/support/allocation_meter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace testing_support {
namespace {

// Every block carries its size in front, so that delete knows what it gives back.
constexpr std::size_t kHeader = alignof(std::max_align_t);

std::atomic<bool> metering{false};
std::atomic<long long> held{0};
std::atomic<long long> peak{0};
std::atomic<std::size_t> refuseOver{static_cast<std::size_t>(-1)};

void* allocate(std::size_t size) {
    if (metering.load(std::memory_order_relaxed) && size > refuseOver.load())
        throw std::bad_alloc();
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!block)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    if (metering.load(std::memory_order_relaxed)) {
        long long now = held.fetch_add(static_cast<long long>(size)) + static_cast<long long>(size);
        long long seen = peak.load();
        while (now > seen && !peak.compare_exchange_weak(seen, now)) {
        }
    }
    return block + kHeader;
}

void release(void* pointer) {
    if (!pointer)
        return;
    unsigned char* block = static_cast<unsigned char*>(pointer) - kHeader;
    if (metering.load(std::memory_order_relaxed))
        held.fetch_sub(static_cast<long long>(*reinterpret_cast<std::size_t*>(block)));
    std::free(block);
}

}  // namespace

AllocationMeter::AllocationMeter(std::size_t refuseBlocksOver) {
    held = 0;
    peak = 0;
    refuseOver = refuseBlocksOver;
    metering = true;
}

AllocationMeter::~AllocationMeter() {
    metering = false;
}

std::size_t AllocationMeter::peakBytes() const {
    return static_cast<std::size_t>(peak.load());
}

}  // namespace testing_support

void* operator new(std::size_t size) {
    return testing_support::allocate(size);
}
void* operator new[](std::size_t size) {
    return testing_support::allocate(size);
}
void operator delete(void* pointer) noexcept {
    testing_support::release(pointer);
}
void operator delete[](void* pointer) noexcept {
    testing_support::release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    testing_support::release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    testing_support::release(pointer);
}

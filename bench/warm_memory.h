// Benchmarks repeat their work, and each iteration frees what the one before it
// made. Whether the C library then hands that memory back to the system (and the
// next iteration pays for every page again) depends on the sizes of the blocks
// freed, not on the code measured. Called first in main, this keeps freed memory
// in the process, so that loads and their yardsticks are measured alike, with
// memory warm. A load in a fresh process is measured from outside (ctlite-data
// copy under farm-bench).
#pragma once

#include <benchmark/benchmark.h>
#include <malloc.h>

namespace bench_support {

inline void keepFreedMemory() {
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
}

}  // namespace bench_support

// The benchmark program's main, with freed memory kept from the start.
#define BENCHMARK_MAIN_KEEPING_FREED_MEMORY()                   \
    int main(int argc, char** argv) {                           \
        bench_support::keepFreedMemory();                       \
        benchmark::Initialize(&argc, argv);                     \
        if (benchmark::ReportUnrecognizedArguments(argc, argv)) \
            return 1;                                           \
        benchmark::RunSpecifiedBenchmarks();                    \
        benchmark::Shutdown();                                  \
        return 0;                                               \
    }

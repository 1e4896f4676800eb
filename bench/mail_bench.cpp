// Base64 of an attachment: the encoder reads a whole file and writes its lines in one
// pass, so its speed bounds how soon a large attachment is ready to send.
#include <benchmark/benchmark.h>

#include <string>

#include "addressbook/mail/mime_text.h"

namespace {

void Base64Lines(benchmark::State& state) {
    std::string bytes(static_cast<std::size_t>(state.range(0)), '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 2654435761u >> 13);
    for (auto _ : state)
        benchmark::DoNotOptimize(ctlite::base64Lines(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(Base64Lines)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

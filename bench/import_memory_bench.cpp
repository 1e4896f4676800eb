// Importing files whose shape once made the import hold many times the file in
// memory: a vCard property with many empty TYPE values, many parameters or many
// address components, a card whose lines end in a lone carriage return, and a CSV
// record made of commas. Each runs at two sizes; "peak_x" is the most memory the
// import held at once divided by the file's size, and should stay small and the
// same from the smaller size to the larger, as should the time per megabyte.
#include <benchmark/benchmark.h>

#include <string>

#include "addressbook/transfer/table_import.h"
#include "addressbook/transfer/vcard.h"
#include "tests/support/allocation_meter.h"
#include "tests/support/hostile_cards.h"

using namespace ctlite;
using namespace ctlite::transfer;

namespace {

using testing_support::cardAround;

template <typename Import>
void measure(benchmark::State& state, const std::string& file, Import import) {
    std::size_t peak = 0;
    for (auto _ : state) {
        GroupList into;
        testing_support::AllocationMeter meter;
        ImportSummary summary = import(into);
        benchmark::DoNotOptimize(summary);
        peak = meter.peakBytes();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
    state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
    state.counters["peak_x"] = static_cast<double>(peak) / static_cast<double>(file.size());
}

void importCard(benchmark::State& state, const std::string& file) {
    measure(state, file, [&](GroupList& into) { return importVCards(file, into); });
}

std::size_t size(const benchmark::State& state) {
    return static_cast<std::size_t>(state.range(0));
}

void BM_EmptyTypes(benchmark::State& state) {
    importCard(state, cardAround(size(state), "TEL;TYPE=", ",", ":1"));
}

void BM_Parameters(benchmark::State& state) {
    importCard(state, cardAround(size(state), "NOTE", ";X", ":n"));
}

void BM_AddressComponents(benchmark::State& state) {
    importCard(state, cardAround(size(state), "ADR:", ";", "x"));
}

void BM_LoneCarriageReturns(benchmark::State& state) {
    importCard(state, cardAround(size(state), "NOTE:n", "\r", ""));
}

void BM_CsvRecordOfCommas(benchmark::State& state) {
    std::string file(size(state), ',');
    file += "\r\n";
    measure(state, file, [&](GroupList& into) {
        TableReader reader(file, TableFormat::Csv);
        return importTable(reader, ImportMapping::exportOrder(TableFormat::Csv),
                           detectEncoding(file), into);
    });
}

}  // namespace

BENCHMARK(BM_EmptyTypes)->Arg(4 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parameters)->Arg(4 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddressComponents)->Arg(4 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoneCarriageReturns)->Arg(4 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CsvRecordOfCommas)->Arg(4 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

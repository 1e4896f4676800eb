// Importing vCard files whose shape once made the import slow out of proportion to
// their size: a card with many extra phones or addresses followed by many NOTE
// lines, and one long folded line whose colon comes last. Each runs at two sizes;
// the time per megabyte should stay about the same from the smaller to the larger.
#include <benchmark/benchmark.h>

#include <string>

#include "addressbook/transfer/vcard.h"

using namespace ctlite;
using namespace ctlite::transfer;

namespace {

// One card: `count` TEL lines (or ADR lines), then `count` NOTE lines.
std::string movedThenNotes(int count, bool addresses) {
    std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\n";
    for (int i = 0; i < count; ++i)
        card += addresses ? "ADR:;;" + std::to_string(i) + " Long Street;Town;;12345;Land\r\n"
                          : "TEL:" + std::to_string(1000000 + i) + "\r\n";
    for (int i = 0; i < count; ++i)
        card += "NOTE:n" + std::to_string(i) + "\r\n";
    return card + "END:VCARD\r\n";
}

// One property whose parameters are folded over `bytes` octets before the colon.
std::string colonLast(std::size_t bytes) {
    std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nNOTE;X-LONG=";
    const std::string piece = "\r\n " + std::string(72, 'a');
    while (card.size() < bytes)
        card += piece;
    return card + "\r\n :text\r\nEND:VCARD\r\n";
}

void importEach(benchmark::State& state, const std::string& file) {
    for (auto _ : state) {
        GroupList into;
        ImportSummary summary = importVCards(file, into);
        benchmark::DoNotOptimize(summary);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
    state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
}

void BM_PhonesThenNotes(benchmark::State& state) {
    importEach(state, movedThenNotes(static_cast<int>(state.range(0)), false));
}

void BM_AddressesThenNotes(benchmark::State& state) {
    importEach(state, movedThenNotes(static_cast<int>(state.range(0)), true));
}

void BM_FoldedColonLast(benchmark::State& state) {
    importEach(state, colonLast(static_cast<std::size_t>(state.range(0))));
}

}  // namespace

BENCHMARK(BM_PhonesThenNotes)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddressesThenNotes)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FoldedColonLast)->Arg(512 << 10)->Arg(2 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

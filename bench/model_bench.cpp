// Address-book core on generated books of 1k, 10k and 100k entries (about 12 MB).
// The plain read and write of the same bytes are the yardsticks for load and save.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "addressbook/model/data_file.h"
#include "addressbook/model/data_format.h"
#include "addressbook/model/find_next.h"
#include "addressbook/model/name_list.h"
#include "bench/warm_memory.h"
#include "tests/support/book_builder.h"
#include "tests/support/temp_dir.h"

using namespace ctlite;

namespace {

testing_support::TempDir& workDir() {
    static testing_support::TempDir dir;
    return dir;
}

// One book per size, all entries in group 1, saved once to its own file.
struct Fixture {
    AddressBook book;
    std::string path;
    std::size_t bytes;
};

const Fixture& fixture(int entries) {
    static std::map<int, Fixture> cache;
    auto it = cache.find(entries);
    if (it != cache.end())
        return it->second;
    Fixture f;
    f.book = testing_support::generatedBook(entries, 1);
    f.path = workDir().file("book" + std::to_string(entries) + ".dat");
    DataFile(platform::systemFileSystem(), f.path).save(f.book);
    f.bytes = testing_support::readBytes(f.path).size();
    return cache.emplace(entries, std::move(f)).first->second;
}

void setBytes(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}

// fopen, fread into a buffer made for the file, fclose: what any program that
// reads the file into memory pays, as load does.
void BM_PlainRead(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::unique_ptr<char[]> buffer(new char[f.bytes]);
        std::FILE* file = std::fopen(f.path.c_str(), "rb");
        std::size_t got = std::fread(buffer.get(), 1, f.bytes, file);
        std::fclose(file);
        benchmark::DoNotOptimize(got);
        benchmark::DoNotOptimize(buffer.get());
    }
    setBytes(state, f.bytes);
}

// The same into a buffer used over and over (already in memory and cache).
void BM_PlainReadWarmBuffer(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<int>(state.range(0)));
    std::string buffer(f.bytes, '\0');
    for (auto _ : state) {
        std::FILE* file = std::fopen(f.path.c_str(), "rb");
        std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
        std::fclose(file);
        benchmark::DoNotOptimize(got);
    }
    setBytes(state, f.bytes);
}

void BM_Load(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto book = std::make_unique<AddressBook>();
        LoadResult result = DataFile(platform::systemFileSystem(), f.path).load(*book);
        benchmark::DoNotOptimize(result);
        // Freeing the book is not part of loading it.
        state.PauseTiming();
        book.reset();
        state.ResumeTiming();
    }
    setBytes(state, f.bytes);
}

void BM_ReadTrailer(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        AddressBook book;
        TrailerResult result = DataFile(platform::systemFileSystem(), f.path).readTrailer(book);
        benchmark::DoNotOptimize(result);
    }
    setBytes(state, f.bytes);
}

void BM_PlainWrite(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<int>(state.range(0)));
    std::string bytes = testing_support::readBytes(f.path);
    std::string path = workDir().file("plain.dat");
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    setBytes(state, f.bytes);
}

// Group section and trailer in one crash-safe write (temporary file, flush to disk, rename).
void BM_SaveWithTrailer(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<int>(state.range(0)));
    DataFile file(platform::systemFileSystem(), workDir().file("save.dat"));
    for (auto _ : state) {
        Outcome outcome = file.save(f.book);
        benchmark::DoNotOptimize(outcome);
    }
    setBytes(state, f.bytes);
}

// The same bytes, built in memory only: the cost of the format itself.
void BM_SaveImageOnly(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(dataformat::fileImage(f.book));
    setBytes(state, f.bytes);
}

void BM_NameList(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<int>(state.range(0)));
    auto mode = static_cast<SortMode>(state.range(1));
    for (auto _ : state) {
        NameList names(f.book.group(0).entries(), mode);
        benchmark::DoNotOptimize(names.size());
    }
}

void BM_QuickSearchKeystroke(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<int>(state.range(0)));
    NameList names(f.book.group(0).entries(), SortMode::LastName);
    const char* typed[] = {"m", "mi", "mil", "mill", "mille", "miller9", "zz"};
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(names.quickSearch(typed[i++ % 7]));
}

void BM_FindNextAllFieldsNoMatch(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<int>(state.range(0)));
    FindRequest request{"no such text anywhere", SearchMode::AllFields, true};
    for (auto _ : state) {
        FindNext find;
        FindResult result = find.next(f.book, 0, SortMode::FirstName, request);
        if (result.found)
            state.SkipWithError("unexpected match");
    }
}

// Copying every entry out by position: must grow linearly with the list.
void BM_GroupListGetEveryPosition(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<int>(state.range(0)));
    const GroupList& list = f.book.group(0).entries();
    Entry out;
    for (auto _ : state)
        for (int p = 1; p <= list.count(); ++p)
            list.get(p, out);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * list.count());
}

}  // namespace

#define SIZES ->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_PlainRead) SIZES;
BENCHMARK(BM_PlainReadWarmBuffer) SIZES;
BENCHMARK(BM_Load) SIZES;
BENCHMARK(BM_ReadTrailer) SIZES;
BENCHMARK(BM_PlainWrite) SIZES;
BENCHMARK(BM_SaveWithTrailer) SIZES;
BENCHMARK(BM_SaveImageOnly) SIZES;
BENCHMARK(BM_NameList)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickSearchKeystroke)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindNextAllFieldsNoMatch) SIZES;
BENCHMARK(BM_GroupListGetEveryPosition) SIZES;

BENCHMARK_MAIN_KEEPING_FREED_MEMORY()

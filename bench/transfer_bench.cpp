// Export and import of a 100k-entry group (about 18 MB of CSV), against writing
// and reading the same bytes with fopen/fwrite/fread, and import against loading
// the same entries from the data file (BM_LoadSameEntries).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "addressbook/model/data_file.h"
#include "addressbook/transfer/table_file.h"
#include "addressbook/transfer/table_import.h"
#include "addressbook/transfer/vcard.h"
#include "bench/warm_memory.h"
#include "tests/support/book_builder.h"
#include "tests/support/temp_dir.h"

using namespace ctlite;
using namespace ctlite::transfer;

namespace {

constexpr int kEntries = 100000;

struct Fixture {
    AddressBook book;
    std::string csv;       // the group exported
    std::string csvPath;   // and on disk
    std::string bookPath;  // the book's data file
    testing_support::TempDir dir;
};

Fixture& fixture() {
    static Fixture* f = [] {
        auto* made = new Fixture;
        made->book = testing_support::generatedBook(kEntries, 1);
        made->csv = writeTable(made->book.group(0).entries(), TableFormat::Csv);
        made->csvPath = made->dir.file("group.csv");
        testing_support::writeBytes(made->csvPath, made->csv);
        made->bookPath = made->dir.file("book.dat");
        DataFile(platform::systemFileSystem(), made->bookPath).save(made->book);
        return made;
    }();
    return *f;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::string readFile(const std::string& path, std::size_t size) {
    std::string bytes(size, '\0');
    std::FILE* file = std::fopen(path.c_str(), "rb");
    bytes.resize(std::fread(bytes.data(), 1, size, file));
    std::fclose(file);
    return bytes;
}

void setBytes(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_PlainWrite(benchmark::State& state) {
    Fixture& f = fixture();
    std::string path = f.dir.file("plain.csv");
    for (auto _ : state)
        writeFile(path, f.csv);
    setBytes(state, f.csv.size());
}

void BM_ExportCsv(benchmark::State& state) {
    Fixture& f = fixture();
    std::string path = f.dir.file("export.csv");
    for (auto _ : state)
        writeFile(path, writeTable(f.book.group(0).entries(), TableFormat::Csv));
    setBytes(state, f.csv.size());
}

void BM_ExportVCard(benchmark::State& state) {
    Fixture& f = fixture();
    std::string path = f.dir.file("export.vcf");
    for (auto _ : state)
        writeFile(path, writeVCards(f.book.group(0).entries(), "Personal"));
    setBytes(state, f.csv.size());
}

void BM_PlainRead(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        std::string bytes = readFile(f.csvPath, f.csv.size());
        benchmark::DoNotOptimize(bytes.data());
    }
    setBytes(state, f.csv.size());
}

void BM_ImportCsv(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        std::string bytes = readFile(f.csvPath, f.csv.size());
        GroupList into;
        TableReader reader(bytes, TableFormat::Csv);
        ImportSummary summary = importTable(reader, ImportMapping::exportOrder(TableFormat::Csv),
                                            detectEncoding(bytes), into);
        benchmark::DoNotOptimize(summary);
    }
    setBytes(state, f.csv.size());
}

void BM_LoadSameEntries(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        AddressBook book;
        LoadResult result = DataFile(platform::systemFileSystem(), f.bookPath).load(book);
        benchmark::DoNotOptimize(result);
    }
}

}  // namespace

BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportVCard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSameEntries)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN_KEEPING_FREED_MEMORY()

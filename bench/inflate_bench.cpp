// Decompressing a package entry: about 20 MB of address-book-like text in one gzip
// member (made by the gzip tool), from a file to /dev/null through our code, with
// the gzip tool itself ("gzip -dc", read through a pipe) as the yardstick.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "installer/setup/extract/package_entry.h"
#include "tests/support/temp_dir.h"

using namespace vortix;

namespace {

constexpr std::size_t kTextSize = 20 * 1024 * 1024;

struct Fixture {
    testing_support::TempDir dir;
    std::string gz;
    std::size_t original = 0;
};

const Fixture& fixture() {
    // Kept to the end of the run; its folder goes with it.
    static std::unique_ptr<Fixture> f = [] {
        auto made = std::make_unique<Fixture>();
        static const char* const kWords[] = {
            "Contavo", "Lite",   "Street",   "Avenue", "Mail",   "Phone",  "Company", "Office",
            "Home",    "Berlin", "Hamburg",  "Paris",  "Lyon",   "Oslo",   "Bergen",  "Smith",
            "Miller",  "Meyer",  "Schmidt",  "Dupont", "Hansen", "Olsen",  "Garden",  "Road",
            "North",   "South",  "Birthday", "Notes",  "Fax",    "Mobile", "Web",     "Group"};
        std::mt19937 random(42);
        std::string text;
        text.reserve(kTextSize + 256);
        while (text.size() < kTextSize) {
            for (int i = 0, n = 3 + static_cast<int>(random() % 8); i < n; ++i) {
                text += kWords[random() % (sizeof kWords / sizeof *kWords)];
                text += random() % 5 == 0 ? std::to_string(random() % 100000) + ", " : " ";
            }
            text += "\r\n";
        }
        text.resize(kTextSize);
        std::string plain = made->dir.file("text.txt");
        std::FILE* out = std::fopen(plain.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
        if (std::system(("gzip -6 -k '" + plain + "'").c_str()) != 0)
            std::abort();
        made->gz = plain + ".gz";
        made->original = text.size();
        return made;
    }();
    return *f;
}

class FileSource : public ByteSource {
public:
    explicit FileSource(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}
    ~FileSource() override { std::fclose(file_); }
    bool read(unsigned char* buffer, std::size_t size, std::size_t& got) override {
        got = std::fread(buffer, 1, size, file_);
        return !std::ferror(file_);
    }

private:
    std::FILE* file_;
};

class FileSink : public ByteSink {
public:
    explicit FileSink(const char* path) : file_(std::fopen(path, "wb")) {
        std::setvbuf(file_, nullptr, _IONBF, 0);  // our buffer is big enough
    }
    ~FileSink() override { std::fclose(file_); }
    bool write(const unsigned char* data, std::size_t size) override {
        return std::fwrite(data, 1, size, file_) == size;
    }

private:
    std::FILE* file_;
};

void BM_DecompressEntry(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        FileSource source(f.gz);
        FileSink sink("/dev/null");
        DecompressResult result = decompressEntry(source, sink);
        if (!result.ok || result.written != f.original)
            state.SkipWithError(result.message.c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.original));
}
BENCHMARK(BM_DecompressEntry)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GzipTool(benchmark::State& state) {
    const Fixture& f = fixture();
    std::vector<char> buffer(256 * 1024);
    for (auto _ : state) {
        std::FILE* pipe = popen(("gzip -dc '" + f.gz + "'").c_str(), "r");
        std::size_t total = 0;
        while (std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe))
            total += got;
        if (pclose(pipe) != 0 || total != f.original)
            state.SkipWithError("gzip -dc failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.original));
}
BENCHMARK(BM_GzipTool)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

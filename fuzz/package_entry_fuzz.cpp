// Any bytes as a package entry: decompressing never crashes, never hangs, and
// gives the same answer however the source hands the bytes out.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "installer/setup/extract/package_entry.h"

using namespace vortix;

namespace {

// Counts and checks what arrives without keeping it.
class CountingSink : public ByteSink {
public:
    bool write(const unsigned char* data, std::size_t size) override {
        if (size == 0 || data == nullptr)
            std::abort();
        bytes += size;
        for (std::size_t i = 0; i < size; ++i)
            sum += data[i];
        return true;
    }
    std::uint64_t bytes = 0, sum = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    MemorySource whole(bytes);
    CountingSink first;
    DecompressResult a = decompressEntry(whole, first);

    MemorySource pieces(bytes, size > 0 ? 1 + data[size - 1] % 61 : 1);
    CountingSink second;
    DecompressResult b = decompressEntry(pieces, second);

    if (a.ok != b.ok || a.message != b.message || (a.ok && a.message.size() != 0) ||
        (!a.ok && a.message.empty()))
        std::abort();
    if (a.ok &&
        (a.written != first.bytes || first.bytes != second.bytes || first.sum != second.sum))
        std::abort();
    return 0;
}

// Any bytes as an entry's picture, through both readers: never a crash, and every
// picture that comes out has rows exactly as long as its header says.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "addressbook/picture/picture.h"

using namespace ctlite;

namespace {

std::uint32_t at32(const std::string& s, std::size_t i) {
    auto* p = reinterpret_cast<const unsigned char*>(s.data() + i);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void check(const std::optional<Picture>& p, std::size_t inputSize, bool bmp) {
    if (!p)
        return;
    if (p->width <= 0 || p->height <= 0 || p->info.size() < 40 || p->palette.size() > 256)
        std::abort();
    std::uint64_t bitCount = at32(p->info, 12) >> 16;
    std::uint64_t stride = (static_cast<std::uint64_t>(p->width) * bitCount + 31) / 32 * 4;
    if (p->bits.size() != stride * static_cast<std::uint64_t>(p->height))
        std::abort();
    if (bmp && p->bits.size() > inputSize)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    check(readBmp(bytes), size, true);
    check(decodeJpeg(bytes), size, false);
    return 0;
}

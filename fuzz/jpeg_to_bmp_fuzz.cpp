// Any bytes as a picture for the JPEG library, and as a bitmap file for its Blit:
// never a crash or an exit, and every bitmap it makes reads back with its size.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "outside/jpeg/jpeg_to_bmp.h"

using namespace vortix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    readBmpLayout(bytes);

    JpegOptions options;
    options.maxPixels = 1024 * 1024;  // keeps each run short
    options.scaleDenominator = size > 0 ? 1u << (data[size - 1] % 4) : 1;
    BmpConversion bmp = jpegToBmp(bytes, options);
    if (bmp.ok) {
        std::optional<BmpLayout> layout = readBmpLayout(bmp.bmp);
        if (!layout || layout->bitCount != 24 || layout->height <= 0)
            std::abort();
    } else if (bmp.message.empty() || !bmp.bmp.empty()) {
        std::abort();
    }
    return 0;
}

// The JPEG library's decoding, without the system: JPEG bytes in, the bytes of a
// 24-bit bottom-up .bmp file out (rows padded to four bytes). Colour, grayscale,
// CMYK and YCCK pictures are read; anything libjpeg refuses comes back as its
// message, never as an exit.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vortix {

// Pictures beyond this many pixels are refused rather than allocated.
inline constexpr std::uint64_t kMaxJpegPixels = 64u * 1024 * 1024;

// A progressive JPEG is a series of scans, each a pass over the whole picture; the
// usual encoders write about 10, and one scan per coefficient of every component
// makes 193. A file may repeat scans without end, so one with more than this many
// is refused rather than read on for minutes.
inline constexpr int kMaxJpegScans = 200;

struct JpegOptions {
    // The picture comes out 1/1, 1/2, 1/4 or 1/8 of its size; other values are refused.
    unsigned scaleDenominator = 1;
    // The faster, slightly coarser inverse DCT and upsampling.
    bool fast = false;
    // Pictures with more pixels than this (before scaling) are refused unread.
    std::uint64_t maxPixels = kMaxJpegPixels;
};

// Told the percentage of rows done (0..100); returning false cancels.
using JpegProgress = std::function<bool(int percent)>;

struct BmpConversion {
    bool ok = false;
    std::string bmp;      // the whole .bmp file
    std::string message;  // why it failed
};

BmpConversion jpegToBmp(std::string_view jpeg, const JpegOptions& options = {},
                        const JpegProgress& progress = {});

// Where the parts of a .bmp file lie, once checked against the file's length.
struct BmpLayout {
    std::size_t infoOffset = 14;  // the BITMAPINFOHEADER (and colour table after it)
    std::size_t bitsOffset = 0;
    std::int32_t width = 0, height = 0;  // height < 0 for top-down rows
    unsigned bitCount = 0;
};

// Nothing unless `file` is an uncompressed .bmp (1, 4, 8, 16, 24 or 32 bits per
// pixel) whose rows all lie inside it.
std::optional<BmpLayout> readBmpLayout(std::string_view file);

}  // namespace vortix

// An entry's picture, decoded from the bytes of its file into a device-independent
// bitmap that the display window can hand to the system as it is: the info block
// (a 40-byte header, the bit-field masks when there are any, the colour table) and
// the pixel rows, with the colours for a palette-based screen beside them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ctlite {

// Picture files above this size are not read.
inline constexpr std::size_t kMaxPictureFileBytes = 32u * 1024 * 1024;
// Pictures with more pixels than this are refused before anything is allocated
// for them (4096 x 4096).
inline constexpr std::uint64_t kMaxPicturePixels = 16u * 1024 * 1024;
// A progressive JPEG is a series of scans, each of which walks the whole picture
// again. The usual encoders write about 10 (libjpeg's default script has 10 for a
// colour picture, 6 for a grey one), and even a file sending every coefficient of
// every component in a scan of its own has 3 x 64 + 1 = 193. A file may repeat scans
// without end, each one costing a pass over up to 4096 x 4096 pixels, so a file with
// more than this many is refused rather than read on for minutes.
inline constexpr int kMaxJpegScans = 200;

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb& o) const {
        return red == o.red && green == o.green && blue == o.blue;
    }
};

struct Picture {
    std::int32_t width = 0, height = 0;  // in pixels, both positive
    std::string info;                    // the bitmap info block
    std::string bits;                    // the rows, as the info block describes them
    // The logical palette: the colour table of a picture of 256 colours or fewer,
    // empty otherwise.
    std::vector<Rgb> palette;
};

enum class PictureKind { None, Bitmap, Jpeg };

// Which reader a picture path calls for: the text after its last dot, "bmp" or
// "jpg" in any case. A path without a dot, or ending in one, has no picture.
PictureKind pictureKind(std::string_view path);

// A .bmp file: uncompressed or bit-field pixels of 1, 4, 8, 16, 24 or 32 bits.
// Nothing when the file is not one, or is shorter than its headers say.
std::optional<Picture> readBmp(std::string_view file);

// The room a picture is shown in, in pixels; 0 and 0 for no limit.
struct PictureRoom {
    std::int32_t width = 0, height = 0;
    bool operator==(const PictureRoom& o) const { return width == o.width && height == o.height; }
};

// A JPEG file as an 8-bit bottom-up bitmap: greyscale pictures with 256 greys,
// colour pictures reduced to 128 colours by libjpeg's own quantiser. A picture
// larger than `room` is decoded at the largest of libjpeg's scales (7/8 down to
// 1/8) at which it fits, or at 1/8; none is enlarged. Nothing when libjpeg refuses
// the file, it ends early, it is in printing inks (CMYK), the picture is too
// large, it has more than kMaxJpegScans scans, or its scans refine coefficients
// out of order.
std::optional<Picture> decodeJpeg(std::string_view file, PictureRoom room = {});

// Either reader, by kind; `room` is for a JPEG (bitmaps are read as they are).
std::optional<Picture> decodePicture(PictureKind kind, std::string_view file,
                                     PictureRoom room = {});

}  // namespace ctlite

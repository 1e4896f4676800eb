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

// A JPEG file as an 8-bit bottom-up bitmap: greyscale pictures with 256 greys,
// colour pictures reduced to 128 colours by libjpeg's own quantiser. Nothing when
// libjpeg refuses the file, it ends early, it is in printing inks (CMYK), or the
// picture is too large.
std::optional<Picture> decodeJpeg(std::string_view file);

// Either reader, by kind.
std::optional<Picture> decodePicture(PictureKind kind, std::string_view file);

}  // namespace ctlite

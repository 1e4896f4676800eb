// A .bmp file is believed only as far as it agrees with itself: every size and
// count in its headers is checked against the bytes that are really there before
// anything is copied, and the copy is never larger than the file.
#include "addressbook/picture/dib_header.h"
#include "addressbook/picture/picture.h"

namespace ctlite {

std::optional<Picture> readBmp(std::string_view file) {
    using namespace dib;
    if (file.size() > kMaxPictureFileBytes || file.size() < kFileHeaderSize + kInfoHeaderSize ||
        file[0] != 'B' || file[1] != 'M')
        return std::nullopt;
    auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    const std::uint64_t dataOffset = get32(bytes + 10);
    const unsigned char* info = bytes + kFileHeaderSize;
    const std::uint64_t rest = file.size() - kFileHeaderSize;  // everything after the file header

    const std::uint64_t headerSize = get32(info);
    const auto width = static_cast<std::int32_t>(get32(info + 4));
    const auto height = static_cast<std::int32_t>(get32(info + 8));
    const unsigned bitCount = get16(info + 14);
    const std::uint32_t compression = get32(info + 16);
    const std::uint64_t coloursUsed = get32(info + 32);
    if (headerSize < kInfoHeaderSize || headerSize > rest || width <= 0 || height == 0 ||
        height == INT32_MIN)
        return std::nullopt;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return std::nullopt;
    const bool bitFields = compression == kBitFields;
    if (!(compression == kRgb || (bitFields && (bitCount == 16 || bitCount == 32))))
        return std::nullopt;  // run-length and embedded formats are not read
    const std::uint64_t rows = height < 0 ? -static_cast<std::int64_t>(height) : height;
    if (static_cast<std::uint64_t>(width) * rows > kMaxPicturePixels)
        return std::nullopt;

    // The colour table: as many entries as the header says are used, all that the
    // bit count can address when it says none; more than that is a lie.
    std::uint64_t entries = coloursUsed;
    if (bitCount <= 8) {
        const std::uint64_t addressable = 1u << bitCount;
        if (entries == 0)
            entries = addressable;
        else if (entries > addressable)
            return std::nullopt;
    } else if (entries > 256) {
        return std::nullopt;
    }
    // Masks follow a 40-byte header (larger headers hold them inside), then the table.
    const std::uint64_t masksEnd = kInfoHeaderSize + (bitFields ? 12 : 0);
    const std::uint64_t tableStart = headerSize > masksEnd ? headerSize : masksEnd;
    const std::uint64_t tableEnd = tableStart + entries * 4;
    const std::uint64_t imageBytes = rowBytes(static_cast<std::uint64_t>(width), bitCount) * rows;
    // The rows start where the file header says when that is sound, else right
    // after the colour table.
    std::uint64_t bitsStart = tableEnd;
    if (dataOffset >= kFileHeaderSize + tableEnd &&
        dataOffset - kFileHeaderSize + imageBytes <= rest)
        bitsStart = dataOffset - kFileHeaderSize;
    if (tableEnd > rest || bitsStart + imageBytes > rest)
        return std::nullopt;

    Picture picture;
    picture.width = width;
    picture.height = static_cast<std::int32_t>(rows);
    picture.info =
        infoHeader(width, height, bitCount, compression, static_cast<std::uint32_t>(entries),
                   static_cast<std::uint32_t>(imageBytes));
    if (bitFields)
        picture.info.append(reinterpret_cast<const char*>(info + kInfoHeaderSize), 12);
    const unsigned char* table = info + tableStart;
    for (std::uint64_t i = 0; i < entries; ++i) {
        const unsigned char* quad = table + 4 * i;
        picture.palette.push_back({quad[2], quad[1], quad[0]});
        picture.info.append(reinterpret_cast<const char*>(quad), 3);
        picture.info.push_back('\0');
    }
    picture.bits.assign(reinterpret_cast<const char*>(info + bitsStart),
                        static_cast<std::size_t>(imageBytes));
    return picture;
}

}  // namespace ctlite

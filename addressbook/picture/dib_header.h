// The 40-byte bitmap info header, written and read little-endian without the
// system's structures.
#pragma once

#include <cstdint>
#include <string>

namespace ctlite::dib {

inline constexpr std::size_t kFileHeaderSize = 14;
inline constexpr std::size_t kInfoHeaderSize = 40;
inline constexpr std::uint32_t kRgb = 0, kBitFields = 3;

inline std::uint32_t get16(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t get32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void put32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline void put16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

// Bytes in one row of `width` pixels, padded to four bytes.
inline std::uint64_t rowBytes(std::uint64_t width, unsigned bitCount) {
    return (width * bitCount + 31) / 32 * 4;
}

// A header for rows of `bitCount` bits; a negative height means top-down rows.
inline std::string infoHeader(std::int32_t width, std::int32_t height, unsigned bitCount,
                              std::uint32_t compression, std::uint32_t coloursUsed,
                              std::uint32_t imageBytes) {
    std::string out;
    out.reserve(kInfoHeaderSize);
    put32(out, kInfoHeaderSize);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, bitCount);
    put32(out, compression);
    put32(out, imageBytes);
    put32(out, 0);  // pixels per metre, across and down
    put32(out, 0);
    put32(out, coloursUsed);
    put32(out, 0);  // colours important: all
    return out;
}

}  // namespace ctlite::dib

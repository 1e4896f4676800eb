// Text rules shared by the whole model: 8-bit text in the Windows-1252 code page,
// case folding to upper case, and the bytes the data file reserves for its own use.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace ctlite {

constexpr std::array<unsigned char, 256> makeUpperTable() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        table[c] = static_cast<unsigned char>(c - 0x20);
    // Windows-1252: š œ ž ÿ and the Latin-1 small letters except ÷.
    table[0x9A] = 0x8A;
    table[0x9C] = 0x8C;
    table[0x9E] = 0x8E;
    table[0xFF] = 0x9F;
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7)
            table[c] = static_cast<unsigned char>(c - 0x20);
    return table;
}
inline constexpr std::array<unsigned char, 256> kUpperCase = makeUpperTable();

// Upper case of one byte of Windows-1252 text (letters with accents included).
inline char foldUpper(char c) {
    return static_cast<char>(kUpperCase[static_cast<unsigned char>(c)]);
}
void appendFoldedUpper(std::string& out, std::string_view text);
std::string foldedUpper(std::string_view text);

// True for the bytes that structure the data file (record terminators, the
// sub-separator, group and trailer marks) and for NUL, which no text may hold.
constexpr bool isReservedByte(char c) {
    switch (static_cast<unsigned char>(c)) {
        case 0x00:
        case 0x01:
        case 0x02:
        case 0x03:
        case 0x04:
        case 0x05:
        case 0x06:
        case 0x07:
        case 0x0C:
        case 0x0E:
        case 0x11:
        case 0x13:
        case 0x16:
        case 0x18: return true;
        default: return false;
    }
}
bool hasReservedBytes(std::string_view text);
// The text without its reserved bytes; everything else is kept as it is.
std::string withoutReservedBytes(std::string_view text);

// Single-line text (names, captions, passwords): every byte below 0x20 removed.
std::string withoutControlBytes(std::string_view text);

// At most `limit` bytes of `text`.
std::string_view truncated(std::string_view text, std::size_t limit);

}  // namespace ctlite

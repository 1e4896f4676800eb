#include "addressbook/model/text.h"

#include <array>

namespace ctlite {
namespace {

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

constexpr auto kUpper = makeUpperTable();

}  // namespace

char foldUpper(char c) {
    return static_cast<char>(kUpper[static_cast<unsigned char>(c)]);
}

void appendFoldedUpper(std::string& out, std::string_view text) {
    std::size_t at = out.size();
    out.resize(at + text.size());
    char* dest = out.data() + at;
    for (char c : text)
        *dest++ = foldUpper(c);
}

std::string foldedUpper(std::string_view text) {
    std::string out;
    appendFoldedUpper(out, text);
    return out;
}

bool hasReservedBytes(std::string_view text) {
    for (char c : text)
        if (isReservedByte(c))
            return true;
    return false;
}

std::string withoutReservedBytes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (!isReservedByte(c))
            out.push_back(c);
    return out;
}

std::string withoutControlBytes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20)
            out.push_back(c);
    return out;
}

std::string_view truncated(std::string_view text, std::size_t limit) {
    return text.substr(0, limit);
}

}  // namespace ctlite

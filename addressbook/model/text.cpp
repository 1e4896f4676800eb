#include "addressbook/model/text.h"

#include <cstdint>
#include <cstring>

namespace ctlite {

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

// Bytes below 0x19 take in every reserved byte and are found eight at a look;
// line breaks and tabs among them are text.
bool hasReservedBytes(std::string_view text) {
    static_assert(isReservedByte(0x18) && !isReservedByte(0x19));
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, sizeof word);
        if ((word - kOnes * 0x19) & ~word & kHighs)
            for (std::size_t i = at; i < at + 8; ++i)
                if (isReservedByte(text[i]))
                    return true;
    }
    for (; at < text.size(); ++at)
        if (isReservedByte(text[at]))
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

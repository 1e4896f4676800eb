#include "addressbook/model/text.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Bytes below 0x19 take in every reserved byte and are found sixteen (without
// SSE2 eight) at a look; line breaks and tabs among them are text.
bool hasReservedBytes(std::string_view text) {
    static_assert(isReservedByte(0x18) && !isReservedByte(0x19));
    auto anyReserved = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i)
            if (isReservedByte(text[i]))
                return true;
        return false;
    };
    std::size_t at = 0;
#if defined(__SSE2__)
    const __m128i highest = _mm_set1_epi8(0x18);
    for (; at + 16 <= text.size(); at += 16) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
        // b < 0x19 exactly when min(b, 0x18) == b, comparing without sign.
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(bytes, highest), bytes)) &&
            anyReserved(at, at + 16))
            return true;
    }
#else
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, sizeof word);
        if (((word - kOnes * 0x19) & ~word & kHighs) && anyReserved(at, at + 8))
            return true;
    }
#endif
    return anyReserved(at, text.size());
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

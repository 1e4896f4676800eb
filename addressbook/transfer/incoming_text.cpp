#include "addressbook/transfer/incoming_text.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/windows1252.h"

namespace ctlite::transfer {
namespace {

// The length of the UTF-8 sequence at `at` and its character, or 0 when invalid.
std::size_t utf8Sequence(std::string_view text, std::size_t at, std::uint32_t& code) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    std::size_t length;
    std::uint32_t min;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

bool startsUtf16(std::string_view bytes) {
    return bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// How many bytes from `p` on are plain ASCII: the offset of the first byte above
// 0x7F, or `size`. Sixteen (without SSE2 eight) bytes at a look.
std::size_t asciiRun(const char* p, std::size_t size) {
    std::size_t at = 0;
#if defined(__SSE2__)
    for (; at + 16 <= size; at += 16) {
        int high = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at)));
        if (high)
            return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(high)));
    }
#else
    for (; at + 8 <= size; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + at, sizeof word);
        if (word & 0x8080808080808080u)
            break;
    }
#endif
    while (at < size && static_cast<unsigned char>(p[at]) < 0x80)
        ++at;
    return at;
}

}  // namespace

Encoding detectEncoding(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF" || startsUtf16(bytes))
        return Encoding::Utf8;
    std::size_t sequences = 0;
    std::size_t invalid = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        at += asciiRun(bytes.data() + at, bytes.size() - at);
        if (at == bytes.size())
            break;
        std::uint32_t code;
        std::size_t length = utf8Sequence(bytes, at, code);
        if (length == 0) {
            ++invalid;
            ++at;
        } else {
            ++sequences;
            at += length;
        }
    }
    return sequences > 0 && sequences >= invalid ? Encoding::Utf8 : Encoding::Windows1252;
}

bool utf8FromUtf16(std::string_view bytes, std::string& out) {
    if (!startsUtf16(bytes))
        return false;
    const bool little = bytes[0] == '\xFF';
    auto unit = [&](std::size_t at) -> std::uint32_t {
        auto lo = static_cast<unsigned char>(bytes[little ? at : at + 1]);
        auto hi = static_cast<unsigned char>(bytes[little ? at + 1 : at]);
        return static_cast<std::uint32_t>(hi << 8 | lo);
    };
    constexpr std::uint32_t kReplacement = 0xFFFD;
    out.clear();
    out.reserve(bytes.size() / 2 * 3 / 2);
    std::size_t at = 2;
    for (; at + 1 < bytes.size(); at += 2) {
        std::uint32_t code = unit(at);
        if (code >= 0xD800 && code <= 0xDBFF && at + 3 < bytes.size() && unit(at + 2) >= 0xDC00 &&
            unit(at + 2) <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(at + 2) - 0xDC00);
            at += 2;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = kReplacement;
        }
        appendUtf8(out, code);
    }
    if (at < bytes.size())
        appendUtf8(out, kReplacement);
    return true;
}

std::size_t windows1252FromUtf8(std::string_view utf8, std::string& out) {
    std::size_t replaced = 0;
    out.reserve(out.size() + utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        std::uint32_t code;
        std::size_t length = utf8Sequence(utf8, at, code);
        char byte;
        if (length == 0) {
            length = 1;
            byte = '?';
            ++replaced;
        } else if (!platform::windows1252Of(code, byte)) {
            byte = '?';
            ++replaced;
        }
        out += byte;
        at += length;
    }
    return replaced;
}

namespace {

// `value` as `field` stores it, into `stored` (emptied first, its room kept).
void storeInto(std::string& stored, std::string_view value, Encoding encoding, Field field,
               ValueCounts& counts) {
    // Decoded and given CR LF line breaks in one pass: a line feed the file holds
    // alone is a line break the book holds as CR LF.
    stored.clear();
    stored.reserve(value.size() + value.size() / 8);
    std::size_t replaced = 0;
    for (std::size_t at = 0; at < value.size();) {
        char byte = value[at];
        std::size_t length = 1;
        if (encoding == Encoding::Utf8 && static_cast<unsigned char>(byte) >= 0x80) {
            std::uint32_t code;
            length = utf8Sequence(value, at, code);
            if (length == 0 || !platform::windows1252Of(code, byte)) {
                byte = '?';
                ++replaced;
            }
            length = length == 0 ? 1 : length;
        }
        if (byte == '\n' && (stored.empty() || stored.back() != '\r'))
            stored += '\r';
        stored += byte;
        at += length;
    }
    if (replaced) {
        ++counts.valuesChanged;
        counts.charactersReplaced += replaced;
    }
    if (field != Field::Note && stored.size() > kMaxImportedValue) {
        stored.resize(kMaxImportedValue);
        ++counts.valuesCut;
    }
}

}  // namespace

std::string storedValue(std::string_view value, Encoding encoding, Field field,
                        ValueCounts& counts) {
    std::string stored;
    storeInto(stored, value, encoding, field, counts);
    stored.shrink_to_fit();
    return stored;
}

bool storedAsItStands(std::string_view value, Encoding encoding) {
    std::size_t at = 0;
#if defined(__SSE2__)
    const __m128i lineFeed = _mm_set1_epi8('\n');
    // Bytes above 0x7F count only in UTF-8 (their high bit, in the byte mask).
    const int high = encoding == Encoding::Utf8 ? 0xFFFF : 0;
    for (; at + 16 <= value.size(); at += 16) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(value.data() + at));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lineFeed)) | (_mm_movemask_epi8(bytes) & high))
            return false;
    }
#else
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    const std::uint64_t high = encoding == Encoding::Utf8 ? kHighs : 0;
    for (; at + 8 <= value.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, value.data() + at, sizeof word);
        std::uint64_t lineFeeds = word ^ (kOnes * '\n');  // a zero byte for each line feed
        if ((word & high) || ((lineFeeds - kOnes) & ~lineFeeds & kHighs))
            return false;
    }
#endif
    for (; at < value.size(); ++at) {
        auto c = static_cast<unsigned char>(value[at]);
        if (c == '\n' || (c >= 0x80 && encoding == Encoding::Utf8))
            return false;
    }
    return true;
}

std::string_view storedValue(std::string_view value, Encoding encoding, Field field,
                             ValueCounts& counts, std::string& scratch) {
    if ((value.size() <= kMaxImportedValue || field == Field::Note) &&
        storedAsItStands(value, encoding))
        return value;
    storeInto(scratch, value, encoding, field, counts);
    return scratch;
}

}  // namespace ctlite::transfer

#include "tools/vxpack/text_encoding.h"

#include <cstdint>
#include <cstdio>

namespace vortix {
namespace {

// Characters of 0x80..0x9F. Windows maps the five unassigned bytes to the C1 controls
// of the same value, so those controls convert back to their bytes.
constexpr std::uint16_t kHighBytes[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool byteFor(std::uint32_t code, char& byte) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        byte = static_cast<char>(code);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kHighBytes[i] == code) {
            byte = static_cast<char>(0x80 + i);
            return true;
        }
    }
    return false;
}

// Decodes one character at `pos`; false on a malformed sequence (overlong forms,
// surrogates and values above U+10FFFF included).
bool decode(std::string_view text, std::size_t& pos, std::uint32_t& code) {
    auto lead = static_cast<unsigned char>(text[pos]);
    int extra;
    std::uint32_t minimum;
    if (lead < 0x80) {
        code = lead;
        ++pos;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, code = lead & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    if (text.size() - pos <= static_cast<std::size_t>(extra))
        return false;
    for (int i = 1; i <= extra; ++i) {
        auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80)
            return false;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return false;
    pos += extra + 1;
    return true;
}

}  // namespace

std::size_t invalidUtf8At(std::string_view text) {
    std::size_t pos = 0;
    std::uint32_t code;
    while (pos < text.size()) {
        if (!decode(text, pos, code))
            return pos;
    }
    return std::string_view::npos;
}

bool cp1252FromUtf8(std::string_view utf8, std::string& out, std::string& why) {
    out.clear();
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t start = pos;
        std::uint32_t code;
        if (!decode(utf8, pos, code)) {
            why = "the text is not valid UTF-8";
            return false;
        }
        if (code == 0) {
            why = "the text holds a NUL character";
            return false;
        }
        char byte;
        if (!byteFor(code, byte)) {
            char name[16];
            std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
            why = "the character \"" + std::string(utf8.substr(start, pos - start)) + "\" (" +
                  name + ") has no place in Windows-1252";
            return false;
        }
        out.push_back(byte);
    }
    return true;
}

}  // namespace vortix

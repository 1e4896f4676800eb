#include "platform/windows1252.h"

#include <cstdio>

namespace platform {
namespace {

// Only characters of the Basic Multilingual Plane come out of the code page.
void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
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

std::string utf8FromCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        appendUtf8(out, unicodeOfWindows1252(byte));
    }
    return out;
}

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
        if (!windows1252Of(code, byte)) {
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

}  // namespace platform

// Windows-1252, the code page of the data file and of setup packages, against
// Unicode. Windows maps the five unassigned bytes of 0x80..0x9F to the C1
// controls of the same value, so every byte has a character and back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

inline constexpr std::uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

inline std::uint32_t unicodeOfWindows1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
}

// False when the character has no byte in the code page.
inline bool windows1252Of(std::uint32_t code, char& byte) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        byte = static_cast<char>(code);
        return true;
    }
    for (int i = 0; i < 32; ++i)
        if (kWindows1252High[i] == code) {
            byte = static_cast<char>(0x80 + i);
            return true;
        }
    return false;
}

// Windows-1252 text as UTF-8, for output that must be Unicode (JSON). Every byte
// has a character, so this cannot fail.
std::string utf8FromCp1252(std::string_view text);

// UTF-8 text (how descriptions and text files are written) to Windows-1252 (how
// the package and the setup program hold every string). Returns false, with `why`
// naming the character, when the text is not valid UTF-8, holds a character the
// code page lacks, or holds a NUL (the package ends its strings with one).
bool cp1252FromUtf8(std::string_view utf8, std::string& out, std::string& why);

// The offset of the first byte that does not belong to valid UTF-8, or npos.
std::size_t invalidUtf8At(std::string_view text);

}  // namespace platform

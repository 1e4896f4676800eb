// Case-insensitive comparison as the installer programs make it: text folded to
// upper case (ASCII and the Latin-1 letters of the system code page).
#pragma once

#include <string>
#include <string_view>

namespace vortix {

inline char upperCase(char c) {
    auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
        return static_cast<char>(b - 0x20);
    return c;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upperCase(a[i]) != upperCase(b[i]))
            return false;
    return true;
}

inline std::string upperCased(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = upperCase(c);
    return out;
}

}  // namespace vortix

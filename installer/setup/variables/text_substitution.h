// The plain text replacement the setup program's variables are built on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vortix {

// Replaces every occurrence of name by value, left to right; the replacement text is
// not searched again, so a value holding its own name cannot loop. An empty name
// replaces nothing.
void replaceAll(std::string& text, std::string_view name, std::string_view value);

// Replaces "<\t>", "<\r>" and "<\n>" by TAB, CR and LF, as language-set lines need.
std::string expandLanguageEscapes(std::string line);

// Reads a decimal number the way the C library's atoi does: leading blanks, an
// optional sign, digits up to the first other character; 0 when there are none.
// Numbers too large for 64 bits are held at the nearest limit.
std::int64_t decimalValue(std::string_view text);

// A path without its trailing "\" characters.
std::string withoutTrailingBackslash(std::string path);

}  // namespace vortix

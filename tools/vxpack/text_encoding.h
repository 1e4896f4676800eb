// UTF-8 text (how descriptions and text files are written) to Windows-1252 (how the
// package and the setup program hold every string).
#pragma once

#include <string>
#include <string_view>

namespace vortix {

// Converts `utf8` to Windows-1252. Returns false, with `why` naming the character,
// when the text is not valid UTF-8, holds a character the code page lacks, or holds
// a NUL (the package ends its strings with one).
bool cp1252FromUtf8(std::string_view utf8, std::string& out, std::string& why);

// The offset of the first byte that does not belong to valid UTF-8, or npos.
std::size_t invalidUtf8At(std::string_view text);

}  // namespace vortix

// The password is never stored in plain text: each printable character is rotated
// within 0x20..0x7E; every other byte stays as it is.
#pragma once

#include <string>
#include <string_view>

namespace ctlite {

// The rotation every build that shares data files must use.
inline constexpr int kPasswordRotation = 41;

// c' = ((c - 0x20 + k) mod 95) + 0x20 for 0x20 <= c <= 0x7E; k may be negative.
std::string rotatePrintable(std::string_view text, int k);

}  // namespace ctlite

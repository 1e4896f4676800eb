// One sealing layer: the bytes scrambled by a running key, the two key bytes, and
// an eight-byte checksum. The uninstall log, the package's script block and its
// language sets are all stored sealed twice (inner layer first).
//
//   body (L bytes, each + k, k += step)  step  base  c0 .. c7
//
// The key starts at (base + step) mod 256; counter c(i mod 8) sums every byte i
// before the checksum.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vortix {

// Draws the numbers a new key is made from; any source will do, since the key
// travels with the block.
using KeyDraw = std::function<std::uint32_t()>;
// A source seeded from the clock, as the installer programs use.
KeyDraw clockKeyDraw();

inline constexpr std::size_t kSealOverhead = 10;

std::string seal(std::string_view plain, const KeyDraw& draw);
// The plain bytes, or nothing when the checksum does not match or the block is too short.
std::optional<std::string> unseal(std::string_view sealed);

std::string sealTwice(std::string_view plain, const KeyDraw& draw);
std::optional<std::string> unsealTwice(std::string_view sealed);

}  // namespace vortix

// The data text of a packaged registry value, turned into the bytes the registry
// stores, by the value's type code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "installer/setup/actions/install_host.h"

namespace vortix {

struct RegistryData {
    RegistryValueType type = RegistryValueType::String;
    std::string bytes;
};

// 0 REG_BINARY: pairs of hexadecimal digits, every third character a separator.
// 1 REG_DWORD: a decimal number (a leading "-" counts down from 2^32), stored
//   little-endian.
// 2 REG_SZ: the text and its NUL.
// Other codes REG_MULTI_SZ: "<\0>" ends a string; the data ends in two NULs.
// Nothing when the text does not fit its type (a digit that is not hexadecimal, a
// lone digit at the end, a number that is not one or does not fit 32 bits).
std::optional<RegistryData> convertRegistryData(std::uint32_t typeCode, std::string_view text);

}  // namespace vortix

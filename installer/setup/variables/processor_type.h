// The processor type code of the "<CPUType>" variable, from the processor
// identification: vendor, family and model.
#pragma once

#include <cstdint>
#include <string>

namespace vortix {

inline constexpr std::uint32_t kCpuIntel486 = 1;
inline constexpr std::uint32_t kCpuPentium = 2;
inline constexpr std::uint32_t kCpuPentiumPro = 3;
inline constexpr std::uint32_t kCpuPentiumII = 4;
inline constexpr std::uint32_t kCpuCeleron = 5;
inline constexpr std::uint32_t kCpuPentiumIII = 6;  // and every later Intel processor
inline constexpr std::uint32_t kCpuAmdK5 = 256;
inline constexpr std::uint32_t kCpuAmdK6_2 = 512;
inline constexpr std::uint32_t kCpuAmdK6_3 = 768;
inline constexpr std::uint32_t kCpuAmdAthlon = 1024;
inline constexpr std::uint32_t kCpuCyrix6 = 65536;
inline constexpr std::uint32_t kCpuCyrixOther = 131072;

// vendor is the identification text ("GenuineIntel", "AuthenticAMD", "CyrixInstead");
// an unknown vendor gives 0. noSecondLevelCache (cache descriptor 64) marks the
// Celerons among the family 6, model 5 processors.
std::uint32_t processorTypeCode(const std::string& vendor, std::uint32_t family,
                                std::uint32_t model, bool noSecondLevelCache);

}  // namespace vortix

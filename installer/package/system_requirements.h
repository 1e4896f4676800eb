// What a package asks of the machine it is installed on, and which rows its
// system information page shows. The builder writes it as one package entry
// (TOC words 72 and 76: length and offset) of "key=value" lines, CR LF between
// them; the setup program reads it back. A package without the entry asks for
// nothing and its page, if shown, has no rows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortix {

// The page's rows, one bit each, in the order the page shows them.
enum RequirementRow : std::uint32_t {
    kRowOperatingSystem = 1u << 0,
    kRowMemory = 1u << 1,
    kRowProcessor = 1u << 2,
    kRowDiskSpace = 1u << 3,
    kRowDirectX = 1u << 4,
    kRowDisplayMode = 1u << 5,
    kRowWaveOutput = 1u << 6,
    kRowMidiOutput = 1u << 7,
    kRowJoystick = 1u << 8,
    kRowDisplayAdapters = 1u << 9,
    kRowInstalledSoftware = 1u << 10,
};
inline constexpr std::uint32_t kRequirementRowCount = 11;
inline constexpr std::uint32_t kAllRequirementRows = (1u << kRequirementRowCount) - 1;

// A program that must be installed: its key under HKEY_LOCAL_MACHINE "Software\".
struct RequiredSoftware {
    std::string name;  // as the row shows it
    std::string key;   // below "Software\", e.g. "Vendor\\Product"
    bool operator==(const RequiredSoftware& other) const {
        return name == other.name && key == other.key;
    }
};

struct SystemRequirements {
    std::uint32_t rows = 0;  // RequirementRow bits

    // The operating systems accepted. A build (95 and 98 families) or a version
    // and service pack (NT family) below the one given is not met. No system
    // accepted at all means any system is.
    bool windows95 = false;
    std::uint32_t build95 = 0;  // above 1000: OSR2
    bool windows98 = false;
    std::uint32_t build98 = 0;  // 2222 and above: Second Edition
    bool windowsMe = false;
    bool windowsNt = false;
    std::uint32_t ntMajor = 0, ntMinor = 0, ntServicePack = 0;  // 5.0: shown as "2000"

    std::uint32_t memoryMb = 0;

    // The processor types accepted (the codes of processor_type.h), or any
    // processor of a vendor; none of them means any processor.
    std::vector<std::uint32_t> processorTypes;
    bool anyIntel = false, anyAmd = false;
    bool mmx = false, threeDNow = false;
    std::uint32_t processorMhz = 0;

    std::uint32_t diskMb = 0;  // on the destination drive; 0: the package's installed size
    std::uint32_t directXMajor = 0, directXMinor = 0;
    // A mode the display can be switched to, at least this wide, high and deep.
    std::uint32_t displayWidth = 0, displayHeight = 0, displayBits = 0;
    bool waveOutput = false, midiOutput = false, joystick = false;
    std::uint32_t videoMemoryMb = 0;  // of the best display adapter
    std::vector<RequiredSoftware> software;

    // Every field alike.
    bool operator==(const SystemRequirements& other) const;
    bool operator!=(const SystemRequirements& other) const { return !(*this == other); }
};

// The entry's bytes: "key=value" lines, CR LF between them, only the keys whose
// value is not the default.
std::string encodeRequirements(const SystemRequirements& requirements);

// Nothing when a line is not "key=value", a number does not parse or is out of
// range, or a processor type is not one of the known codes. Keys it does not
// know are passed over (a later builder may add some).
std::optional<SystemRequirements> decodeRequirements(std::string_view bytes);

}  // namespace vortix

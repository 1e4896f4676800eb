// The system information page's table: what the machine has against what the
// package asks (system_requirements.h), one row per requirement, and the text
// file the table is saved as. Portable: the probes that fill MachineFacts are the
// system's side (win32_machine_probe.h); tests fill it by hand.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "installer/package/system_requirements.h"
#include "installer/setup/variables/system_facts.h"

namespace vortix {

struct DisplayAdapter {
    std::string description;  // "NVIDIA GeForce ..."
    std::string driver;       // the driver file, "nv4_disp.dll"
    std::uint64_t videoMemoryBytes = 0;
    std::uint16_t driverVersion[4] = {0, 0, 0, 0};  // most significant first
};

// What the probes found. Each probe runs once per run; the page and the
// variables share the results.
struct MachineFacts {
    OsVersion os;
    bool win32s = false;              // Windows 3.x with Win32s
    std::uint32_t servicePack = 0;    // NT family: from "CSDVersion"
    std::uint64_t memoryBytes = 0;    // physical memory
    std::string processorVendor;      // "GenuineIntel", "AuthenticAMD", "CyrixInstead", ...
    std::uint32_t processorType = 0;  // the code of processor_type.h; 0 unknown
    bool mmx = false, threeDNow = false;
    std::uint32_t processorMhz = 0;
    std::string destinationDrive;            // "C:\"
    std::optional<std::uint64_t> freeBytes;  // on that drive; nothing: no such drive
    std::uint32_t directX = 0;      // major in the low word, minor in the high word; 0 none
    ScreenMode screen;              // the mode in use
    std::vector<ScreenMode> modes;  // every mode the display can be switched to
    std::uint32_t waveOutputs = 0, midiOutputs = 0;
    bool joystick = false;  // a joystick answers
    std::vector<DisplayAdapter> adapters;
    // One per required software, in the package's order: its "Version" (else
    // "Installed") value, empty when the key has neither; nothing when the key
    // is not there.
    std::vector<std::optional<std::string>> software;
};

// Physical memory in MB as the page and "<RAM>" show it: rounded down, then up
// to the next even number when odd (63.5 MB shows as 64 MB).
std::uint32_t memoryMegabytes(std::uint64_t bytes);

// "Windows 98  (4.10.2222)" (the family name ends in a blank, and the version
// in brackets starts with one), "Windows ME (4.90.3000)", "Windows 2000 SP4",
// "Windows NT 10.0", "Windows 32s ".
std::string operatingSystemText(const OsVersion& os, std::uint32_t servicePack, bool win32s);
// "Intel PentiumIII(MMX)", "AMD K6-2(MMX)(3DNow!)"; the vendor's text when the
// type is not known.
std::string processorText(const MachineFacts& machine);

struct SystemInformationTable {
    // The column heads first, then one row per requirement the package shows:
    // label TAB the machine's value TAB the requirement TAB the verdict
    // (entry 7 when met, entry 5 when not). Texts from the language set `lines`.
    std::vector<std::string> rows;
    int unmet = 0;  // the rows whose requirement is not met
};

// `packageBytes`: the installed size, the disk space asked when the package
// names none.
SystemInformationTable systemInformationTable(const MachineFacts& machine,
                                              const SystemRequirements& requirements,
                                              std::uint64_t packageBytes,
                                              const std::vector<std::string>& lines);

// The saved file: each row's columns padded with spaces so that the second
// starts at character 22, the third at 54 and the fourth at 86; every row, an
// empty one too, ends with CR LF.
std::string systemInformationFileText(const std::vector<std::string>& rows);

// "c:\sysinfo.txt", or the first of "c:\sysinfo1.txt", "c:\sysinfo2.txt", ...
// that does not exist; empty when all of them up to kMaxSystemInformationFiles
// exist (or `exists` keeps answering yes).
inline constexpr int kMaxSystemInformationFiles = 9999;
std::string systemInformationFileName(const std::function<bool(const std::string&)>& exists);

}  // namespace vortix

// What the setup program's variables learn about the machine, behind one interface:
// folders, the system version, the screen, the processor, the registry, INI files and
// the file system. The variables (variables.h) are portable; win32_system_facts.cpp is
// the system's side, and tests put a fake in its place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "installer/common/registry.h"

namespace vortix {

enum class SystemFolder {
    Programs,        // the user's Programs folder of the Start menu
    StartUp,         // the user's Startup folder
    Desktop,         // the user's desktop folder
    Fonts,           // the Fonts folder
    StartMenu,       // the user's Start menu folder
    CommonPrograms,  // the all-users folders (Windows NT family)
    CommonStartUp,
    CommonDesktop,
    CommonStartMenu,
    Windows,
    System,
    Temp,
    SetupProgram,  // the directory that holds the setup program file
};

struct OsVersion {
    bool ntFamily = true;
    std::uint32_t major = 5, minor = 0;
    std::uint32_t build = 0;  // as the system reports it; the 95 family keeps the version above
};

struct ScreenMode {
    std::uint32_t width = 0, height = 0, bitsPerPixel = 0;
};

// The four registry roots as handle values.
inline constexpr std::uint32_t kRootClassesRoot = 0x80000000u;
inline constexpr std::uint32_t kRootCurrentUser = 0x80000001u;
inline constexpr std::uint32_t kRootLocalMachine = 0x80000002u;
inline constexpr std::uint32_t kRootUsers = 0x80000003u;

class SystemFacts {
public:
    virtual ~SystemFacts() = default;

    // ---- folders and paths
    // Empty when the system does not know the folder. May end in "\".
    virtual std::string folder(SystemFolder which) = 0;
    // The short (8.3) form of an existing path; empty when the system gives none.
    virtual std::string shortPath(const std::string& path) = 0;

    // ---- the system
    virtual OsVersion osVersion() = 0;
    // Today in the short date format of the system's default locale.
    virtual std::string today() = 0;

    // ---- figures, each asked for at most once per run by the variables
    virtual std::uint32_t cpuSpeedMhz() = 0;
    virtual std::uint32_t cpuType() = 0;   // the processor type code
    virtual std::uint32_t cpuFlags() = 0;  // the processor feature flags
    virtual ScreenMode screen() = 0;
    virtual std::uint64_t physicalMemoryBytes() = 0;
    // Major version in the low word, minor version in the high word; 0 without DirectX.
    virtual std::uint32_t directXVersion() = 0;

    // ---- the registry; root is one of the kRoot... handle values
    virtual bool registryKeyExists(std::uint32_t root, const std::string& key) = 0;
    // Nothing when the key or the value cannot be read.
    virtual std::optional<RegistryValue> registryValue(std::uint32_t root, const std::string& key,
                                                       const std::string& name) = 0;
    // The environment variables ("%NAME%") of a REG_EXPAND_SZ text replaced.
    virtual std::string expandEnvironment(const std::string& text) { return text; }

    // ---- private profile (INI) files; a file name without a path is in the Windows directory
    virtual std::string iniString(const std::string& file, const std::string& section,
                                  const std::string& key, const std::string& fallback) = 0;
    virtual std::int32_t iniNumber(const std::string& file, const std::string& section,
                                   const std::string& key, std::int32_t fallback) = 0;

    // ---- files
    // Whether a file (not a directory) of that name lies in the directory ("\" at its end).
    virtual bool fileExists(const std::string& directory, const std::string& name) = 0;
    // The root directories of the drives ("C:\"), in the system's order.
    virtual std::vector<std::string> driveRoots() = 0;
    // Searches the directory and everything below it for the file; the directory
    // where it lies, or nothing.
    virtual std::optional<std::string> findFileBelow(const std::string& root,
                                                     const std::string& name) = 0;
};

}  // namespace vortix

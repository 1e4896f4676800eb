// The system's side of the setup variables: shell folders, the registry, INI files,
// the file system and the machine's figures, read through Win32.
#pragma once

#include "installer/setup/variables/system_facts.h"

namespace vortix {

class Win32SystemFacts : public SystemFacts {
public:
    std::string folder(SystemFolder which) override;
    std::string shortPath(const std::string& path) override;
    OsVersion osVersion() override;
    std::string today() override;
    // Times the processor's cycle counter against the performance counter.
    std::uint32_t cpuSpeedMhz() override;
    std::uint32_t cpuType() override;
    std::uint32_t cpuFlags() override;
    ScreenMode screen() override;
    std::uint64_t physicalMemoryBytes() override;
    // Probes the interfaces each version brings, from DirectDraw to DirectMusic.
    std::uint32_t directXVersion() override;
    bool registryKeyExists(std::uint32_t root, const std::string& key) override;
    std::optional<RegistryValue> registryValue(std::uint32_t root, const std::string& key,
                                               const std::string& name) override;
    std::string expandEnvironment(const std::string& text) override;
    std::string iniString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& fallback) override;
    std::int32_t iniNumber(const std::string& file, const std::string& section,
                           const std::string& key, std::int32_t fallback) override;
    bool fileExists(const std::string& directory, const std::string& name) override;
    std::vector<std::string> driveRoots() override;
    std::optional<std::string> findFileBelow(const std::string& root,
                                             const std::string& name) override;
};

}  // namespace vortix

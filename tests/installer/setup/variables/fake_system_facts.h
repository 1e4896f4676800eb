// A machine held in memory for the setup variables: folders, registry, INI files and
// a file tree, with a count of each measurement so tests can see what was asked.
#pragma once

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "installer/setup/variables/system_facts.h"

namespace testing_support {

class FakeSystemFacts : public vortix::SystemFacts {
public:
    FakeSystemFacts();

    // ---- the machine
    std::map<vortix::SystemFolder, std::string> folders;
    std::map<std::string, std::string> shortPaths;  // long path -> short form
    vortix::OsVersion os;
    std::string date = "12/8/2026";
    std::uint32_t speed = 450, type = 6, flags = 0x00800000;
    vortix::ScreenMode mode{1024, 768, 16};
    std::uint64_t memory = 64ull << 20;
    std::uint32_t directX = 0x00010006;  // 6.1
    // (root, upper-cased key) -> values by name
    std::map<std::pair<std::uint32_t, std::string>, std::map<std::string, vortix::RegistryValue>>
        registry;
    // (file, section, key) -> value
    std::map<std::tuple<std::string, std::string, std::string>, std::string> ini;
    std::set<std::string> files;  // full paths of the files that exist
    std::vector<std::string> drives{"C:\\", "D:\\"};

    // "%NAME%" -> value, for REG_EXPAND_SZ texts
    std::map<std::string, std::string> environment;
    std::string expandEnvironment(const std::string& text) override {
        std::string out = text;
        for (const auto& [name, value] : environment)
            for (std::size_t at; (at = out.find("%" + name + "%")) != std::string::npos;)
                out.replace(at, name.size() + 2, value);
        return out;
    }

    void setString(std::uint32_t root, const std::string& key, const std::string& name,
                   const std::string& text);
    void setDword(std::uint32_t root, const std::string& key, const std::string& name,
                  std::uint32_t value);

    // ---- what was asked
    int measurements = 0;  // calls of the figure functions
    std::vector<std::string> searchedDrives;
    int registryReads = 0;

    // ---- SystemFacts
    std::string folder(vortix::SystemFolder which) override;
    std::string shortPath(const std::string& path) override;
    vortix::OsVersion osVersion() override { return os; }
    std::string today() override { return date; }
    std::uint32_t cpuSpeedMhz() override { return ++measurements, speed; }
    std::uint32_t cpuType() override { return ++measurements, type; }
    std::uint32_t cpuFlags() override { return ++measurements, flags; }
    vortix::ScreenMode screen() override { return ++measurements, mode; }
    std::uint64_t physicalMemoryBytes() override { return ++measurements, memory; }
    std::uint32_t directXVersion() override { return ++measurements, directX; }
    bool registryKeyExists(std::uint32_t root, const std::string& key) override;
    std::optional<vortix::RegistryValue> registryValue(std::uint32_t root, const std::string& key,
                                                       const std::string& name) override;
    std::string iniString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& fallback) override;
    std::int32_t iniNumber(const std::string& file, const std::string& section,
                           const std::string& key, std::int32_t fallback) override;
    bool fileExists(const std::string& directory, const std::string& name) override;
    std::vector<std::string> driveRoots() override { return drives; }
    std::optional<std::string> findFileBelow(const std::string& root,
                                             const std::string& name) override;
};

}  // namespace testing_support

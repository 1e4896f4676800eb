// The machine's figures measured once per run however many ask for them: the
// variables and the system information page share one of these in front of the
// system's facts. Everything that is not a measurement (folders, the registry,
// INI files, files) is asked afresh each time, as it may change during the run.
#pragma once

#include <optional>

#include "installer/setup/variables/system_facts.h"

namespace vortix {

class CachedSystemFacts final : public SystemFacts {
public:
    explicit CachedSystemFacts(SystemFacts& system) : system_(system) {}

    std::string folder(SystemFolder which) override { return system_.folder(which); }
    std::string shortPath(const std::string& path) override { return system_.shortPath(path); }
    OsVersion osVersion() override { return once(os_, &SystemFacts::osVersion); }
    std::string today() override { return system_.today(); }

    std::uint32_t cpuSpeedMhz() override { return once(cpuSpeed_, &SystemFacts::cpuSpeedMhz); }
    std::uint32_t cpuType() override { return once(cpuType_, &SystemFacts::cpuType); }
    std::uint32_t cpuFlags() override { return once(cpuFlags_, &SystemFacts::cpuFlags); }
    ScreenMode screen() override { return once(screen_, &SystemFacts::screen); }
    std::uint64_t physicalMemoryBytes() override {
        return once(memory_, &SystemFacts::physicalMemoryBytes);
    }
    std::uint32_t directXVersion() override { return once(directX_, &SystemFacts::directXVersion); }

    bool registryKeyExists(std::uint32_t root, const std::string& key) override {
        return system_.registryKeyExists(root, key);
    }
    std::optional<RegistryValue> registryValue(std::uint32_t root, const std::string& key,
                                               const std::string& name) override {
        return system_.registryValue(root, key, name);
    }
    std::string expandEnvironment(const std::string& text) override {
        return system_.expandEnvironment(text);
    }
    std::string iniString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& fallback) override {
        return system_.iniString(file, section, key, fallback);
    }
    std::int32_t iniNumber(const std::string& file, const std::string& section,
                           const std::string& key, std::int32_t fallback) override {
        return system_.iniNumber(file, section, key, fallback);
    }
    bool fileExists(const std::string& directory, const std::string& name) override {
        return system_.fileExists(directory, name);
    }
    std::vector<std::string> driveRoots() override { return system_.driveRoots(); }
    std::optional<std::string> findFileBelow(const std::string& root,
                                             const std::string& name) override {
        return system_.findFileBelow(root, name);
    }

private:
    template <class Value>
    Value once(std::optional<Value>& kept, Value (SystemFacts::*measure)()) {
        if (!kept)
            kept = (system_.*measure)();
        return *kept;
    }

    SystemFacts& system_;
    std::optional<OsVersion> os_;
    std::optional<std::uint32_t> cpuSpeed_, cpuType_, cpuFlags_, directX_;
    std::optional<std::uint64_t> memory_;
    std::optional<ScreenMode> screen_;
};

}  // namespace vortix

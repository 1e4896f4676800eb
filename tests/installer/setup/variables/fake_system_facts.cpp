#include "tests/installer/setup/variables/fake_system_facts.h"

#include <cstdlib>

#include "installer/common/text_fold.h"

namespace testing_support {

using namespace vortix;

FakeSystemFacts::FakeSystemFacts() {
    folders = {
        {SystemFolder::Programs, "C:\\Users\\ann\\Start Menu\\Programs\\"},
        {SystemFolder::StartUp, "C:\\Users\\ann\\Start Menu\\Programs\\StartUp"},
        {SystemFolder::Desktop, "C:\\Users\\ann\\Desktop"},
        {SystemFolder::Fonts, "C:\\Windows\\Fonts\\"},
        {SystemFolder::StartMenu, "C:\\Users\\ann\\Start Menu"},
        {SystemFolder::CommonPrograms, "C:\\All Users\\Start Menu\\Programs"},
        {SystemFolder::CommonStartUp, "C:\\All Users\\Start Menu\\Programs\\StartUp"},
        {SystemFolder::CommonDesktop, "C:\\All Users\\Desktop"},
        {SystemFolder::CommonStartMenu, "C:\\All Users\\Start Menu"},
        {SystemFolder::Windows, "C:\\Windows"},
        {SystemFolder::System, "C:\\Windows\\System32\\"},
        {SystemFolder::Temp, "C:\\Temp\\"},
        {SystemFolder::SetupProgram, "D:\\Setup"},
    };
    shortPaths = {
        {"C:\\Users\\ann\\Start Menu\\Programs", "C:\\Users\\ann\\STARTM~1\\Programs"},
        {"C:\\Users\\ann\\Start Menu", "C:\\Users\\ann\\STARTM~1"},
        {"C:\\Windows\\System32", "C:\\Windows\\SYSTEM~1"},
        {"C:\\Program Files (x86)", "C:\\PROGRA~2\\"},
    };
}

void FakeSystemFacts::setString(std::uint32_t root, const std::string& key, const std::string& name,
                                const std::string& text) {
    registry[{root, upperCased(key)}][upperCased(name)] = {kRegistryTypeString, text + '\0'};
}

void FakeSystemFacts::setDword(std::uint32_t root, const std::string& key, const std::string& name,
                               std::uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    registry[{root, upperCased(key)}][upperCased(name)] = {kRegistryTypeDword, bytes};
}

std::string FakeSystemFacts::folder(SystemFolder which) {
    auto found = folders.find(which);
    return found == folders.end() ? std::string() : found->second;
}

std::string FakeSystemFacts::shortPath(const std::string& path) {
    auto found = shortPaths.find(path);
    return found == shortPaths.end() ? std::string() : found->second;
}

bool FakeSystemFacts::registryKeyExists(std::uint32_t root, const std::string& key) {
    ++registryReads;
    return registry.count({root, upperCased(key)}) != 0;
}

std::optional<RegistryValue> FakeSystemFacts::registryValue(std::uint32_t root,
                                                            const std::string& key,
                                                            const std::string& name) {
    ++registryReads;
    auto found = registry.find({root, upperCased(key)});
    if (found == registry.end())
        return std::nullopt;
    auto value = found->second.find(upperCased(name));
    if (value == found->second.end())
        return std::nullopt;
    return value->second;
}

std::string FakeSystemFacts::iniString(const std::string& file, const std::string& section,
                                       const std::string& key, const std::string& fallback) {
    auto found = ini.find({file, section, key});
    return found == ini.end() ? fallback : found->second;
}

std::int32_t FakeSystemFacts::iniNumber(const std::string& file, const std::string& section,
                                        const std::string& key, std::int32_t fallback) {
    auto found = ini.find({file, section, key});
    return found == ini.end() ? fallback : std::atoi(found->second.c_str());
}

bool FakeSystemFacts::fileExists(const std::string& directory, const std::string& name) {
    return files.count(directory + name) != 0;
}

std::optional<std::string> FakeSystemFacts::findFileBelow(const std::string& root,
                                                          const std::string& name) {
    searchedDrives.push_back(root);
    for (const std::string& path : files) {
        std::size_t cut = path.rfind('\\');
        if (path.compare(0, root.size(), root) == 0 && path.substr(cut + 1) == name)
            return path.substr(0, cut + 1);
    }
    return std::nullopt;
}

}  // namespace testing_support

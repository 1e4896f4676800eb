#include "tests/installer/support/machine_state.h"

#include "installer/common/restart_queue.h"

namespace testing_support {
namespace {

void dumpKey(const FakeRegistryKey& key, const std::string& path, std::string& out) {
    if (path.find(upperCased(kSessionManagerKey)) != std::string::npos)
        return;
    out += "key " + path + "\n";
    for (const auto& [name, value] : key.values)
        out += "  value " + name + " " + std::to_string(static_cast<int>(value.first)) + " " +
               value.second + "\n";
    for (const auto& [name, subkey] : key.subkeys)
        dumpKey(*subkey, path + "\\" + name, out);
}

}  // namespace

std::string machineState(const FakeMachine& machine) {
    std::string out;
    for (const auto& [path, file] : machine.files)
        if (path.rfind("C:\\TEMP\\", 0) != 0)
            out += "file " + path + " [" + std::to_string(file.attributes) + "] " + file.content +
                   "\n";
    for (const std::string& directory : machine.directories)
        if (directory != "C:\\TEMP")
            out += "directory " + directory + "\n";
    for (int r = 0; r < kRootCount; ++r)
        dumpKey(machine.registry.roots[r], std::string(kRootNames[r]), out);
    return out;
}

}  // namespace testing_support

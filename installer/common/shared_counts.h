// The shared-file counts: one DWORD value per file path under
// HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs, the number of
// programs that use the file. The setup program adds to them, the uninstaller
// takes away.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "installer/common/registry.h"

namespace vortix {

inline constexpr const char* kSharedDllsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// The SharedDLLs key in a logged registry tree (under HKEY_LOCAL_MACHINE), made
// with `flag` where missing; where the counts the installation made are logged.
RegistryKeyNode& sharedCountsNode(RegistryLogTree& tree, std::uint32_t flag);
// The same, without making anything; null when the tree has none.
RegistryKeyNode* findSharedCountsNode(RegistryLogTree& tree);

// The setup program makes the key when it is missing; the uninstaller only opens it.
enum class SharedCountsOpen { CreateWhenMissing, ExistingOnly };

class SharedCounts {
public:
    explicit SharedCounts(Registry& registry) : registry_(registry) {}
    ~SharedCounts() { close(); }
    SharedCounts(const SharedCounts&) = delete;
    SharedCounts& operator=(const SharedCounts&) = delete;

    bool open(SharedCountsOpen how);
    // Nothing when the path has no count (or one that is not a DWORD).
    std::optional<std::uint32_t> count(const std::string& path);
    bool set(const std::string& path, std::uint32_t count);
    bool remove(const std::string& path);
    void close();

private:
    Registry& registry_;
    KeyHandle key_ = 0;
};

}  // namespace vortix

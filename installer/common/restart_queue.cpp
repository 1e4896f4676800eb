#include "installer/common/restart_queue.h"

#include "installer/common/pending_deletion.h"

namespace vortix {

std::optional<std::vector<std::string>> pendingFileRenames(Registry& registry) {
    OpenedKey key(registry, RegistryRoot::LocalMachine, kSessionManagerKey, KeyAccess::QueryValues);
    if (!key)
        return std::nullopt;
    std::vector<std::string> strings;
    std::optional<RegistryValue> value = registry.value(key.get(), kPendingRenamesValue);
    if (!value || value->type != kRegistryTypeMultiString)
        return strings;
    const std::string& data = value->data;
    std::size_t at = 0;
    while (at < data.size()) {
        std::size_t end = data.find('\0', at);
        if (end == std::string::npos)
            end = data.size();
        if (end == at && at + 1 >= data.size())
            break;  // the closing NUL
        strings.push_back(data.substr(at, end - at));
        at = end + 1;
    }
    return strings;
}

void setPendingFileRenames(Registry& registry, const std::vector<std::string>& strings) {
    OpenedKey key(registry, RegistryRoot::LocalMachine, kSessionManagerKey, KeyAccess::SetValues);
    if (!key)
        return;
    if (strings.empty()) {
        registry.deleteValue(key.get(), kPendingRenamesValue);
        return;
    }
    std::string data;
    for (const std::string& s : strings) {
        data += s;
        data.push_back('\0');
    }
    data.push_back('\0');
    registry.setValue(key.get(), kPendingRenamesValue, RegistryValueType::MultiString, data);
}

bool deletionPendingAtRestart(RestartSystem& system, Registry& registry, const std::string& path) {
    if (system.isNtFamily()) {
        std::optional<std::vector<std::string>> pairs = pendingFileRenames(registry);
        return pairs && withoutPendingDeletion(*pairs, path);
    }
    std::optional<std::string> ini = system.readWininit();
    return ini && withoutWininitDeletion(*ini, system.shortPath(path));
}

void cancelDeletionAtRestart(RestartSystem& system, Registry& registry, const std::string& path) {
    if (system.isNtFamily()) {
        std::optional<std::vector<std::string>> pairs = pendingFileRenames(registry);
        if (!pairs)
            return;
        if (std::optional<std::vector<std::string>> kept = withoutPendingDeletion(*pairs, path))
            setPendingFileRenames(registry, *kept);
        return;
    }
    std::optional<std::string> ini = system.readWininit();
    if (!ini)
        return;
    if (std::optional<std::string> kept = withoutWininitDeletion(*ini, system.shortPath(path)))
        system.writeWininit(*kept);
}

void replaceAtRestartOrByWininit(RestartSystem& system, const std::string& from,
                                 const std::string& to) {
    if (system.replaceAtRestart(from, to))
        return;
    std::string ini = system.readWininit().value_or(std::string());
    system.writeWininit(withWininitRename(ini, system.shortPath(to), system.shortPath(from)));
}

void deleteAtRestartOrByWininit(RestartSystem& system, const std::string& path) {
    if (system.deleteAtRestart(path))
        return;
    std::string shortPath = system.shortPath(path);
    std::optional<std::string> ini = system.readWininit();
    system.writeWininit(withWininitDeletion(ini.value_or(std::string()), shortPath));
}

}  // namespace vortix

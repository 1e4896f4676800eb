#include "installer/common/registry.h"

namespace vortix {

OpenedKey::OpenedKey(Registry& registry, RegistryRoot root, const std::string& path,
                     KeyAccess access)
    : registry_(registry) {
    KeyHandle key = 0;
    if (registry.openKey(registry.rootKey(root), path, access, key) == KeyOpen::Opened)
        key_ = key;
}

OpenedKey::~OpenedKey() {
    if (key_)
        registry_.closeKey(key_);
}

std::optional<RegistryValue> readRegistryValue(Registry& registry, RegistryRoot root,
                                               const std::string& path, const std::string& name,
                                               KeyAccess access) {
    OpenedKey key(registry, root, path, access);
    if (!key)
        return std::nullopt;
    return registry.value(key.get(), name);
}

std::optional<std::string> readRegistryString(Registry& registry, RegistryRoot root,
                                              const std::string& path, const std::string& name,
                                              KeyAccess access) {
    std::optional<RegistryValue> value = readRegistryValue(registry, root, path, name, access);
    if (!value || value->type != kRegistryTypeString)
        return std::nullopt;
    return value->data.substr(0, value->data.find('\0'));
}

}  // namespace vortix

#include "tests/installer/common/fake_registry.h"

#include <vector>

#include "installer/common/text_fold.h"

namespace testing_support {
namespace {

std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts;
    for (std::size_t start = 0; start < path.size();) {
        std::size_t slash = path.find('\\', start);
        std::size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > start)
            parts.push_back(upperCased(path.substr(start, end - start)));
        start = end + 1;
    }
    return parts;
}

bool writes(KeyAccess access) {
    return access != KeyAccess::Read && access != KeyAccess::QueryValues;
}

std::uint32_t systemType(RegistryValueType type) {
    switch (type) {
        case RegistryValueType::Binary: return kRegistryTypeBinary;
        case RegistryValueType::Dword: return kRegistryTypeDword;
        case RegistryValueType::String: return kRegistryTypeString;
        case RegistryValueType::MultiString: return kRegistryTypeMultiString;
    }
    return kRegistryTypeBinary;
}

}  // namespace

FakeRegistryKey& FakeRegistry::key(RegistryRoot root, const std::string& path) {
    FakeRegistryKey* node = &roots[static_cast<int>(root)];
    for (const std::string& part : components(path)) {
        std::unique_ptr<FakeRegistryKey>& child = node->subkeys[part];
        if (!child)
            child = std::make_unique<FakeRegistryKey>();
        node = child.get();
    }
    return *node;
}

const FakeRegistryKey* FakeRegistry::findKey(RegistryRoot root, const std::string& path) const {
    const FakeRegistryKey* node = &roots[static_cast<int>(root)];
    for (const std::string& part : components(path)) {
        auto it = node->subkeys.find(part);
        if (it == node->subkeys.end())
            return nullptr;
        node = it->second.get();
    }
    return node;
}

int FakeRegistry::openKeys() const {
    int n = 0;
    for (const auto& [handle, key] : open_)
        n += handle >= 100;
    return n;
}

KeyHandle FakeRegistry::rootKey(RegistryRoot root) {
    // The roots are always open, as the system's predefined keys are.
    KeyHandle handle = 1 + static_cast<KeyHandle>(root);
    open_[handle] = {&roots[static_cast<int>(root)], true};
    return handle;
}

KeyHandle FakeRegistry::handOut(FakeRegistryKey* key, KeyAccess access) {
    KeyHandle handle = next_++;
    open_[handle] = {key, writes(access)};
    return handle;
}

KeyCreate FakeRegistry::createKey(KeyHandle parent, const std::string& path, KeyAccess access,
                                  KeyHandle& key) {
    pathsOpened.insert(upperCased(path));
    FakeRegistryKey* node = open_.at(parent).key;
    bool created = false;
    for (const std::string& part : components(path)) {
        auto it = node->subkeys.find(part);
        if (it == node->subkeys.end()) {
            if (node->denyCreate)
                return KeyCreate::AccessDenied;
            it = node->subkeys.emplace(part, std::make_unique<FakeRegistryKey>()).first;
            created = true;
        }
        node = it->second.get();
    }
    if (node->denyRead || (node->readOnly && writes(access)))
        return KeyCreate::AccessDenied;
    key = handOut(node, access);
    return created ? KeyCreate::Created : KeyCreate::Opened;
}

KeyOpen FakeRegistry::openKey(KeyHandle parent, const std::string& path, KeyAccess access,
                              KeyHandle& key) {
    pathsOpened.insert(upperCased(path));
    FakeRegistryKey* node = open_.at(parent).key;
    for (const std::string& part : components(path)) {
        auto it = node->subkeys.find(part);
        if (it == node->subkeys.end())
            return KeyOpen::Missing;
        node = it->second.get();
    }
    if (node->denyRead || (node->readOnly && writes(access)))
        return KeyOpen::AccessDenied;
    key = handOut(node, access);
    return KeyOpen::Opened;
}

void FakeRegistry::closeKey(KeyHandle key) {
    if (key >= 100)
        open_.erase(key);
}

std::optional<RegistryValue> FakeRegistry::value(KeyHandle key, const std::string& name) {
    const FakeRegistryKey* node = open_.at(key).key;
    auto it = node->values.find(upperCased(name));
    if (it == node->values.end())
        return std::nullopt;
    return RegistryValue{systemType(it->second.first), it->second.second};
}

bool FakeRegistry::setValue(KeyHandle key, const std::string& name, RegistryValueType type,
                            const std::string& data) {
    OpenKey& open = open_.at(key);
    if (!open.writable)
        return false;
    open.key->values[upperCased(name)] = {type, data};
    return true;
}

bool FakeRegistry::deleteValue(KeyHandle key, const std::string& name) {
    OpenKey& open = open_.at(key);
    return open.writable && open.key->values.erase(upperCased(name)) > 0;
}

bool FakeRegistry::hasSubkey(KeyHandle key) {
    return !open_.at(key).key->subkeys.empty();
}

bool FakeRegistry::deleteKey(KeyHandle parent, const std::string& name) {
    FakeRegistryKey* node = open_.at(parent).key;
    auto it = node->subkeys.find(upperCased(name));
    if (it == node->subkeys.end() || !it->second->subkeys.empty() || it->second->readOnly)
        return false;
    node->subkeys.erase(it);
    return true;
}

}  // namespace testing_support

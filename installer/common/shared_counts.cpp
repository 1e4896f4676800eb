#include "installer/common/shared_counts.h"

#include "installer/common/text_fold.h"

namespace vortix {
namespace {

constexpr std::string_view kSharedDllsPath[] = {"Software", "Microsoft", "Windows",
                                                "CurrentVersion", "SharedDLLs"};

}  // namespace

RegistryKeyNode& sharedCountsNode(RegistryLogTree& tree, std::uint32_t flag) {
    RegistryKeyNode* node = &tree.root(RegistryRoot::LocalMachine);
    for (std::string_view part : kSharedDllsPath)
        node = &node->subkey(part, flag);
    return *node;
}

RegistryKeyNode* findSharedCountsNode(RegistryLogTree& tree) {
    RegistryKeyNode* node = &tree.root(RegistryRoot::LocalMachine);
    for (std::string_view part : kSharedDllsPath) {
        RegistryKeyNode* next = nullptr;
        for (RegistryKeyNode& subkey : node->subkeys)
            if (equalsIgnoringCase(subkey.name, part))
                next = &subkey;
        if (!next)
            return nullptr;
        node = next;
    }
    return node;
}

bool SharedCounts::open(SharedCountsOpen how) {
    close();
    KeyHandle root = registry_.rootKey(RegistryRoot::LocalMachine);
    KeyHandle key = 0;
    bool opened = false;
    if (how == SharedCountsOpen::CreateWhenMissing) {
        KeyCreate made = registry_.createKey(root, kSharedDllsKey, KeyAccess::Values, key);
        opened = made == KeyCreate::Created || made == KeyCreate::Opened;
    } else {
        opened = registry_.openKey(root, kSharedDllsKey, KeyAccess::Write, key) == KeyOpen::Opened;
    }
    if (opened)
        key_ = key;
    return opened;
}

std::optional<std::uint32_t> SharedCounts::count(const std::string& path) {
    if (!key_)
        return std::nullopt;
    std::optional<RegistryValue> value = registry_.value(key_, path);
    if (!value || value->type != kRegistryTypeDword || value->data.size() > 4)
        return std::nullopt;
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < value->data.size(); ++i)
        count |= static_cast<std::uint32_t>(static_cast<unsigned char>(value->data[i])) << (8 * i);
    return count;
}

bool SharedCounts::set(const std::string& path, std::uint32_t count) {
    if (!key_)
        return false;
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>((count >> (8 * i)) & 0xFF));
    return registry_.setValue(key_, path, RegistryValueType::Dword, bytes);
}

bool SharedCounts::remove(const std::string& path) {
    return key_ && registry_.deleteValue(key_, path);
}

void SharedCounts::close() {
    if (key_)
        registry_.closeKey(key_);
    key_ = 0;
}

}  // namespace vortix

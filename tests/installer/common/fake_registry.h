// The registry in memory, for the tests of both programs: keys by upper-cased
// name, values with their types, keys that refuse to be created under, written or
// read, and every key handed out until it is closed.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "installer/common/registry.h"

namespace testing_support {

using namespace vortix;

struct FakeRegistryKey {
    std::map<std::string, std::unique_ptr<FakeRegistryKey>> subkeys;          // by upper-cased name
    std::map<std::string, std::pair<RegistryValueType, std::string>> values;  // upper-cased
    bool denyCreate = false;  // creating a subkey of it fails
    bool readOnly = false;    // opened at best for reading: no values set or deleted, not deleted
    bool denyRead = false;    // cannot be opened at all
};

class FakeRegistry : public Registry {
public:
    std::array<FakeRegistryKey, kRootCount> roots;
    // The paths asked for, upper-cased, as createKey and openKey got them.
    std::multiset<std::string> pathsOpened;

    // The key, made with its parents when missing.
    FakeRegistryKey& key(RegistryRoot root, const std::string& path);
    const FakeRegistryKey* findKey(RegistryRoot root, const std::string& path) const;
    // Keys opened and not closed again (the roots are always open).
    int openKeys() const;

    KeyHandle rootKey(RegistryRoot root) override;
    KeyCreate createKey(KeyHandle parent, const std::string& path, KeyAccess access,
                        KeyHandle& key) override;
    KeyOpen openKey(KeyHandle parent, const std::string& path, KeyAccess access,
                    KeyHandle& key) override;
    void closeKey(KeyHandle key) override;
    std::optional<RegistryValue> value(KeyHandle key, const std::string& name) override;
    bool setValue(KeyHandle key, const std::string& name, RegistryValueType type,
                  const std::string& data) override;
    bool deleteValue(KeyHandle key, const std::string& name) override;
    bool hasSubkey(KeyHandle key) override;
    bool deleteKey(KeyHandle parent, const std::string& name) override;

private:
    struct OpenKey {
        FakeRegistryKey* key;
        bool writable;
    };
    KeyHandle handOut(FakeRegistryKey* key, KeyAccess access);
    std::map<KeyHandle, OpenKey> open_;
    KeyHandle next_ = 100;
};

}  // namespace testing_support

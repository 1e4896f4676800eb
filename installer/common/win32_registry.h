// The registry table on Windows: the Reg* functions, every key handed out closed
// at the latest when the table goes.
#pragma once

#include <set>

#include "installer/common/registry.h"

namespace vortix {

class Win32Registry final : public Registry {
public:
    Win32Registry() = default;
    ~Win32Registry() override;
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;

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
    std::set<KeyHandle> open_;
};

}  // namespace vortix

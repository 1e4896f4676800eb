// The registry as both programs use it, behind one table: the four roots, a key
// opened or created with an access, closed again, its values read with their
// type, written and deleted, and a key tested for subkeys and deleted. The
// system's side is win32_registry.h; tests put a fake in its place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "installer/common/registry_log_tree.h"

namespace vortix {

// A registry key the table opened; 0 is no key.
using KeyHandle = std::uintptr_t;

// What a key is opened for: everything, reading and writing, reading only, or
// just its values (queried, set, or both).
enum class KeyAccess { All, Write, Read, QueryValues, SetValues, Values };
enum class KeyCreate { Created, Opened, AccessDenied, Failed };
enum class KeyOpen { Opened, AccessDenied, Missing };

// The types a value is written with.
enum class RegistryValueType { Binary, Dword, String, MultiString };

// Value types as the system numbers them.
inline constexpr std::uint32_t kRegistryTypeString = 1;
inline constexpr std::uint32_t kRegistryTypeExpandString = 2;
inline constexpr std::uint32_t kRegistryTypeBinary = 3;
inline constexpr std::uint32_t kRegistryTypeDword = 4;
inline constexpr std::uint32_t kRegistryTypeMultiString = 7;

// A value as it was read.
struct RegistryValue {
    std::uint32_t type = kRegistryTypeString;
    std::string data;  // the raw bytes; strings usually end with a NUL
};

class Registry {
public:
    virtual ~Registry() = default;

    virtual KeyHandle rootKey(RegistryRoot root) = 0;
    // Creates or opens the key `path` (one or more components) under `parent`.
    virtual KeyCreate createKey(KeyHandle parent, const std::string& path, KeyAccess access,
                                KeyHandle& key) = 0;
    // Opens an existing key; Missing for any failure but a refused access.
    virtual KeyOpen openKey(KeyHandle parent, const std::string& path, KeyAccess access,
                            KeyHandle& key) = 0;
    // Closing a root does nothing.
    virtual void closeKey(KeyHandle key) = 0;

    // Nothing when the value is not there or cannot be read. The empty name is the
    // key's default value.
    virtual std::optional<RegistryValue> value(KeyHandle key, const std::string& name) = 0;
    virtual bool setValue(KeyHandle key, const std::string& name, RegistryValueType type,
                          const std::string& data) = 0;
    virtual bool deleteValue(KeyHandle key, const std::string& name) = 0;

    virtual bool hasSubkey(KeyHandle key) = 0;
    // Deletes a key that has no subkeys.
    virtual bool deleteKey(KeyHandle parent, const std::string& name) = 0;
};

// A key opened for as long as it lives; no key when the open failed.
class OpenedKey {
public:
    OpenedKey(Registry& registry, RegistryRoot root, const std::string& path, KeyAccess access);
    ~OpenedKey();
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    explicit operator bool() const { return key_ != 0; }
    KeyHandle get() const { return key_; }

private:
    Registry& registry_;
    KeyHandle key_ = 0;
};

// The value `name` of the key root\path opened with that access; nothing when the
// key or the value cannot be read.
std::optional<RegistryValue> readRegistryValue(Registry& registry, RegistryRoot root,
                                               const std::string& path, const std::string& name,
                                               KeyAccess access = KeyAccess::Read);

// A string value (REG_SZ) up to its first NUL; nothing when it is missing, cannot
// be read or has another type.
std::optional<std::string> readRegistryString(Registry& registry, RegistryRoot root,
                                              const std::string& path, const std::string& name,
                                              KeyAccess access = KeyAccess::Read);

}  // namespace vortix

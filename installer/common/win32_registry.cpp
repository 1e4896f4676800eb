#include "installer/common/win32_registry.h"

#include <windows.h>

namespace vortix {
namespace {

HKEY toKey(KeyHandle handle) {
    return reinterpret_cast<HKEY>(handle);
}
KeyHandle fromKey(HKEY key) {
    return reinterpret_cast<KeyHandle>(key);
}

REGSAM accessMask(KeyAccess access) {
    switch (access) {
        case KeyAccess::All: return KEY_ALL_ACCESS;
        case KeyAccess::Write: return KEY_WRITE | KEY_READ;
        case KeyAccess::Read: return KEY_READ;
        case KeyAccess::QueryValues: return KEY_QUERY_VALUE;
        case KeyAccess::SetValues: return KEY_SET_VALUE;
        case KeyAccess::Values: return KEY_QUERY_VALUE | KEY_SET_VALUE;
    }
    return KEY_READ;
}

}  // namespace

Win32Registry::~Win32Registry() {
    for (KeyHandle key : open_)
        RegCloseKey(toKey(key));
}

KeyHandle Win32Registry::rootKey(RegistryRoot root) {
    static const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
                                  HKEY_USERS};
    return fromKey(kRoots[static_cast<int>(root)]);
}

KeyCreate Win32Registry::createKey(KeyHandle parent, const std::string& path, KeyAccess access,
                                   KeyHandle& key) {
    HKEY made = nullptr;
    DWORD disposition = 0;
    LONG result = RegCreateKeyExA(toKey(parent), path.c_str(), 0, nullptr, 0, accessMask(access),
                                  nullptr, &made, &disposition);
    if (result == ERROR_ACCESS_DENIED)
        return KeyCreate::AccessDenied;
    if (result != ERROR_SUCCESS)
        return KeyCreate::Failed;
    key = fromKey(made);
    open_.insert(key);
    return disposition == REG_CREATED_NEW_KEY ? KeyCreate::Created : KeyCreate::Opened;
}

KeyOpen Win32Registry::openKey(KeyHandle parent, const std::string& path, KeyAccess access,
                               KeyHandle& key) {
    HKEY opened = nullptr;
    LONG result = RegOpenKeyExA(toKey(parent), path.c_str(), 0, accessMask(access), &opened);
    if (result == ERROR_ACCESS_DENIED)
        return KeyOpen::AccessDenied;
    if (result != ERROR_SUCCESS)
        return KeyOpen::Missing;
    key = fromKey(opened);
    open_.insert(key);
    return KeyOpen::Opened;
}

void Win32Registry::closeKey(KeyHandle key) {
    if (open_.erase(key))
        RegCloseKey(toKey(key));
}

std::optional<RegistryValue> Win32Registry::value(KeyHandle key, const std::string& name) {
    RegistryValue value;
    DWORD type = 0, size = 0;
    LONG result = RegQueryValueExA(toKey(key), name.c_str(), nullptr, &type, nullptr, &size);
    for (int attempt = 0; attempt < 4 && result == ERROR_SUCCESS; ++attempt) {
        value.data.resize(size);
        DWORD got = size;
        result = RegQueryValueExA(toKey(key), name.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(value.data.data()), &got);
        if (result == ERROR_SUCCESS) {
            value.data.resize(got);
            value.type = type;
            return value;
        }
        if (result == ERROR_MORE_DATA) {
            size = got;  // the value grew in between
            result = ERROR_SUCCESS;
        }
    }
    return std::nullopt;
}

bool Win32Registry::setValue(KeyHandle key, const std::string& name, RegistryValueType type,
                             const std::string& data) {
    DWORD systemType = REG_SZ;
    switch (type) {
        case RegistryValueType::Binary: systemType = REG_BINARY; break;
        case RegistryValueType::Dword: systemType = REG_DWORD; break;
        case RegistryValueType::String: systemType = REG_SZ; break;
        case RegistryValueType::MultiString: systemType = REG_MULTI_SZ; break;
    }
    return RegSetValueExA(toKey(key), name.empty() ? nullptr : name.c_str(), 0, systemType,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool Win32Registry::deleteValue(KeyHandle key, const std::string& name) {
    return RegDeleteValueA(toKey(key), name.c_str()) == ERROR_SUCCESS;
}

bool Win32Registry::hasSubkey(KeyHandle key) {
    char name[256];
    DWORD size = sizeof name;
    return RegEnumKeyExA(toKey(key), 0, name, &size, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

bool Win32Registry::deleteKey(KeyHandle parent, const std::string& name) {
    return RegDeleteKeyA(toKey(parent), name.c_str()) == ERROR_SUCCESS;
}

}  // namespace vortix

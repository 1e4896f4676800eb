#include "framework/settings_store.h"

#include <vector>

namespace fw {

int Profile::getInt(const char* name, int fallback) const {
    return static_cast<int>(GetPrivateProfileIntA(section_.c_str(), name, fallback, file_.c_str()));
}

std::optional<int> Profile::find(const char* name) const {
    char text[32];
    GetPrivateProfileStringA(section_.c_str(), name, "", text, sizeof text, file_.c_str());
    if (!text[0])
        return std::nullopt;
    return getInt(name, 0);
}

void Profile::setInt(const char* name, int value) const {
    WritePrivateProfileStringA(section_.c_str(), name, std::to_string(value).c_str(),
                               file_.c_str());
}

UserRegistryKey::UserRegistryKey(const char* path) {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &key_, nullptr) != ERROR_SUCCESS)
        key_ = nullptr;
}

UserRegistryKey::~UserRegistryKey() {
    if (key_)
        RegCloseKey(key_);
}

std::optional<DWORD> UserRegistryKey::getDword(const char* name) const {
    DWORD value = 0, size = sizeof value, type = 0;
    if (!key_ ||
        RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        size != sizeof value)
        return std::nullopt;
    return value;
}

bool UserRegistryKey::setDword(const char* name, DWORD value) const {
    return key_ && RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                  sizeof value) == ERROR_SUCCESS;
}

std::optional<std::string> UserRegistryKey::findString(const char* name) const {
    if (!key_)
        return std::nullopt;
    // Asks for the size first, and again if the value grew in between.
    for (;;) {
        DWORD size = 0;
        if (RegQueryValueExA(key_, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        std::vector<char> buffer(size + 1, '\0');
        LONG read = RegQueryValueExA(key_, name, nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (read == ERROR_MORE_DATA)
            continue;
        if (read != ERROR_SUCCESS)
            return std::nullopt;
        return std::string(buffer.data());
    }
}

bool UserRegistryKey::setString(const char* name, const std::string& value) const {
    return key_ &&
           RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

std::optional<std::string> UserRegistryKey::findBinary(const char* name) const {
    if (!key_)
        return std::nullopt;
    for (;;) {
        DWORD size = 0, type = 0;
        if (RegQueryValueExA(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_BINARY)
            return std::nullopt;
        std::string bytes(size, '\0');
        LONG read = RegQueryValueExA(key_, name, nullptr, &type,
                                     reinterpret_cast<BYTE*>(bytes.data()), &size);
        if (read == ERROR_MORE_DATA)
            continue;
        if (read != ERROR_SUCCESS || type != REG_BINARY)
            return std::nullopt;
        bytes.resize(size);
        return bytes;
    }
}

bool UserRegistryKey::setBinary(const char* name, const std::string& bytes) const {
    return key_ &&
           RegSetValueExA(key_, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

}  // namespace fw

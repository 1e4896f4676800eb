// The two places a program keeps its settings: a private profile (INI) file in
// the Windows directory, and a key under HKEY_CURRENT_USER.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace fw {

class Profile {
public:
    // `file` without a folder lands in the Windows directory.
    Profile(std::string file, std::string section)
        : file_(std::move(file)), section_(std::move(section)) {}

    int getInt(const char* name, int fallback) const;
    // Nothing when the value is not set.
    std::optional<int> find(const char* name) const;
    void setInt(const char* name, int value) const;

private:
    std::string file_, section_;
};

class UserRegistryKey {
public:
    // Opens HKEY_CURRENT_USER\path, creating it when missing.
    explicit UserRegistryKey(const char* path);
    ~UserRegistryKey();
    UserRegistryKey(const UserRegistryKey&) = delete;
    UserRegistryKey& operator=(const UserRegistryKey&) = delete;

    // False when the key could neither be opened nor made.
    bool opened() const { return key_ != nullptr; }
    std::optional<DWORD> getDword(const char* name) const;
    bool setDword(const char* name, DWORD value) const;
    // A string of any length; nothing when the value is not there.
    std::optional<std::string> findString(const char* name) const;
    // The same, empty when the value is not there.
    std::string getString(const char* name) const { return findString(name).value_or(""); }
    bool setString(const char* name, const std::string& value) const;
    // The bytes of a binary value; nothing when it is not there or not binary.
    std::optional<std::string> findBinary(const char* name) const;
    bool setBinary(const char* name, const std::string& bytes) const;

private:
    HKEY key_ = nullptr;
};

}  // namespace fw

#include "addressbook/ui/registry_settings.h"

#include <windows.h>
// (after windows.h)
#include <dpapi.h>

#include <cstring>

#include "addressbook/contracts/settings_places.h"

namespace ctlite {
namespace {

// The program's 8-bit text as UTF-16 bytes, and back.
std::string utf16Bytes(const std::string& text) {
    if (text.empty())
        return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

std::string fromUtf16Bytes(const std::string& bytes) {
    std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(wide.data(), bytes.data(), wide.size() * sizeof(wchar_t));
    while (!wide.empty() && wide.back() == L'\0')  // a preset value may end with its NUL
        wide.pop_back();
    if (wide.empty())
        return {};
    int length = static_cast<int>(wide.size());
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), length, text.data(), n, nullptr, nullptr);
    return text;
}

// One blob handed to or made by the protection calls.
DATA_BLOB blobOf(std::string& bytes) {
    return {static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data())};
}

std::string takeBlob(DATA_BLOB& made) {
    std::string bytes(reinterpret_cast<const char*>(made.pbData), made.cbData);
    SecureZeroMemory(made.pbData, made.cbData);
    LocalFree(made.pbData);
    return bytes;
}

}  // namespace

RegistrySettings::RegistrySettings() : key_(kSettingsKeyPath) {}

std::optional<std::uint32_t> RegistrySettings::number(const char* name) const {
    std::optional<DWORD> value = key_.getDword(name);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

std::optional<std::string> RegistrySettings::text(const char* name) const {
    return key_.findString(name);
}

bool RegistrySettings::setNumber(const char* name, std::uint32_t value) {
    return key_.setDword(name, value);
}

bool RegistrySettings::setText(const char* name, const std::string& value) {
    return key_.setString(name, value);
}

// A value another user protected, or one that was tampered with, reads as not there.
std::optional<std::string> RegistrySettings::secret(const char* name) const {
    std::optional<std::string> stored = key_.findBinary(name);
    if (!stored)
        return std::nullopt;
    DATA_BLOB in = blobOf(*stored), out{};
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                            &out))
        return std::nullopt;
    std::string wide = takeBlob(out);
    std::string text = fromUtf16Bytes(wide);
    SecureZeroMemory(wide.data(), wide.size());
    return text;
}

bool RegistrySettings::setSecret(const char* name, const std::string& value) {
    std::string wide = utf16Bytes(value);
    DATA_BLOB in = blobOf(wide), out{};
    bool made = CryptProtectData(&in, L"Contavo Lite", nullptr, nullptr, nullptr,
                                 CRYPTPROTECT_UI_FORBIDDEN, &out) != FALSE;
    SecureZeroMemory(wide.data(), wide.size());
    return made && key_.setBinary(name, takeBlob(out));
}

}  // namespace ctlite

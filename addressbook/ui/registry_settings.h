// The program's key, HKEY_CURRENT_USER\SOFTWARE\Contavo Lite, as the settings see
// it. A secret is the UTF-16 text of its value protected with CryptProtectData for
// the current user (no extra entropy), stored as a binary value, so an administrator
// can preset it with the same call.
#pragma once

#include <optional>
#include <string>

#include "addressbook/ui/settings_values.h"
#include "framework/settings_store.h"

namespace ctlite {

class RegistrySettings : public SettingsKey {
public:
    RegistrySettings();
    bool opened() const override { return key_.opened(); }
    std::optional<std::uint32_t> number(const char* name) const override;
    std::optional<std::string> text(const char* name) const override;
    bool setNumber(const char* name, std::uint32_t value) override;
    bool setText(const char* name, const std::string& value) override;
    std::optional<std::string> secret(const char* name) const override;
    bool setSecret(const char* name, const std::string& value) override;

private:
    fw::UserRegistryKey key_;
};

}  // namespace ctlite

// What the Settings window keeps under the program's key: the e-mail identity and
// server as texts, the server's port and security as numbers, the sign-in name as a
// text and its password as a secret (encrypted for the user), the card's colours and
// the start-in-the-tray flag as numbers, the card's font face as a text, and "Version". The names
// and types are what other windows read (the compose window, the main window at start), so they
// never change.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "addressbook/ui/display_colours.h"

namespace ctlite {

// A key of named values: numbers (32 bits) and texts of any length.
class SettingsKey {
public:
    virtual ~SettingsKey() = default;
    // False when the key could not be opened: nothing reads or writes.
    virtual bool opened() const = 0;
    virtual std::optional<std::uint32_t> number(const char* name) const = 0;
    virtual std::optional<std::string> text(const char* name) const = 0;
    virtual bool setNumber(const char* name, std::uint32_t value) = 0;
    virtual bool setText(const char* name, const std::string& value) = 0;
    // A text kept so that only the current user can read it back; nothing when it
    // is not there or cannot be read.
    virtual std::optional<std::string> secret(const char* name) const = 0;
    virtual bool setSecret(const char* name, const std::string& value) = 0;
};

// The number every write stores as "Version".
inline constexpr std::uint32_t kSettingsVersion = 352;

struct SettingsValues {
    std::string userName;
    std::string email;
    std::string smtpServer;
    std::string signature;
    bool startMinimised = false;
    DisplayColours colours;
    std::string fontFace;  // empty: the font box shows "Arial"
    // The port for a server written without ":port" (which wins), 1 to 65535.
    int smtpPort = 25;
    int smtpSecurity = 0;  // 0 none, 1 STARTTLS, 2 TLS from the start
    std::string smtpUser;  // empty: no sign-in
    std::string smtpPassword;
};

// Reads the key into `values`: a text not stored keeps what `values` held, the
// colours start white and take the card's default scheme when all three are white
// or all three black. A key that did not open leaves everything but the colours.
void readSettings(const SettingsKey& key, SettingsValues& values);

// Writes every value and "Version"; false when the key did not open or a write failed.
bool writeSettings(SettingsKey& key, const SettingsValues& values);

// The port a security choice usually has: 25, 587 for STARTTLS, 465 for TLS from the start.
int usualPort(int security);

// An address is accepted when it is empty or holds an at sign.
bool acceptableEmail(std::string_view address);

// The face the font box selects first: the stored face, or "Arial" when none is stored.
std::string faceToSelect(const std::string& fontFace);

}  // namespace ctlite

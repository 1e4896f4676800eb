#include "addressbook/ui/settings_values.h"

namespace ctlite {
namespace {

constexpr char kBackground[] = "Color_Background";
constexpr char kText[] = "Color_Text";
constexpr char kLink[] = "Color_Link";
constexpr char kMinimize[] = "Minimize";
constexpr char kFontFace[] = "Font Face";
constexpr char kUserName[] = "User Name";
constexpr char kEmail[] = "Email";
constexpr char kSmtp[] = "SMTP";
constexpr char kSignature[] = "Signature";
constexpr char kVersion[] = "Version";
constexpr char kPort[] = "SMTP Port";
constexpr char kSecurity[] = "SMTP Security";
constexpr char kUser[] = "SMTP User";
constexpr char kPassword[] = "SMTP Password";

}  // namespace

void readSettings(const SettingsKey& key, SettingsValues& values) {
    if (!key.opened()) {
        values.colours = displayColours({}, {}, {}, kWhiteButtons);
        return;
    }
    values.colours = displayColours(key.number(kBackground), key.number(kText), key.number(kLink),
                                    kWhiteButtons);
    values.startMinimised = key.number(kMinimize).value_or(0) == 1;
    for (auto [name, text] :
         {std::pair{kFontFace, &values.fontFace}, std::pair{kUserName, &values.userName},
          std::pair{kEmail, &values.email}, std::pair{kSmtp, &values.smtpServer},
          std::pair{kSignature, &values.signature}, std::pair{kUser, &values.smtpUser}}) {
        if (std::optional<std::string> stored = key.text(name))
            *text = *stored;
    }
    // A port or security an administrator set out of range counts as not set.
    std::uint32_t port = key.number(kPort).value_or(25);
    values.smtpPort = port >= 1 && port <= 65535 ? static_cast<int>(port) : 25;
    std::uint32_t security = key.number(kSecurity).value_or(0);
    values.smtpSecurity = security <= 2 ? static_cast<int>(security) : 0;
    if (std::optional<std::string> password = key.secret(kPassword))
        values.smtpPassword = *password;
}

bool writeSettings(SettingsKey& key, const SettingsValues& values) {
    if (!key.opened())
        return false;
    bool written = true;
    for (auto [name, number] :
         {std::pair{kBackground, values.colours.background}, std::pair{kText, values.colours.text},
          std::pair{kLink, values.colours.link},
          std::pair{kMinimize, values.startMinimised ? 1u : 0u}})
        written = key.setNumber(name, number) && written;
    for (auto [name, text] :
         {std::pair{kFontFace, &values.fontFace}, std::pair{kUserName, &values.userName},
          std::pair{kEmail, &values.email}, std::pair{kSmtp, &values.smtpServer},
          std::pair{kSignature, &values.signature}, std::pair{kUser, &values.smtpUser}})
        written = key.setText(name, *text) && written;
    written = key.setNumber(kPort, static_cast<std::uint32_t>(values.smtpPort)) && written;
    written = key.setNumber(kSecurity, static_cast<std::uint32_t>(values.smtpSecurity)) && written;
    written = key.setSecret(kPassword, values.smtpPassword) && written;
    return key.setNumber(kVersion, kSettingsVersion) && written;
}

int usualPort(int security) {
    return security == 1 ? 587 : security == 2 ? 465 : 25;
}

bool acceptableEmail(std::string_view address) {
    return address.empty() || address.find('@') != std::string_view::npos;
}

std::string faceToSelect(const std::string& fontFace) {
    return fontFace.empty() ? "Arial" : fontFace;
}

}  // namespace ctlite

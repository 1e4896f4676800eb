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
          std::pair{kSignature, &values.signature}}) {
        if (std::optional<std::string> stored = key.text(name))
            *text = *stored;
    }
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
          std::pair{kSignature, &values.signature}})
        written = key.setText(name, *text) && written;
    return key.setNumber(kVersion, kSettingsVersion) && written;
}

bool acceptableEmail(std::string_view address) {
    return address.empty() || address.find('@') != std::string_view::npos;
}

std::string faceToSelect(const std::string& fontFace) {
    return fontFace.empty() ? "Arial" : fontFace;
}

}  // namespace ctlite

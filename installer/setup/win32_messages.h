// The setup program's one message routine: every box it shows goes through here.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "installer/setup/setup_rules.h"

namespace vortix {

class SetupMessages {
public:
    explicit SetupMessages(bool silent) : silent_(silent) {}

    // The caption: the language set's window title, else the package's, else
    // "Vortix Installer".
    void setLanguageTitle(std::string title) { languageTitle_ = std::move(title); }
    void setPackageTitle(std::string title) { packageTitle_ = std::move(title); }
    void setOwner(HWND owner) { owner_ = owner; }
    std::string caption() const { return boxCaption(languageTitle_, packageTitle_); }
    bool silent() const { return silent_; }

    // Shows the box (or, in a silent run, answers for the user) and returns the
    // button pressed. `icon` is MB_ICONSTOP, MB_ICONEXCLAMATION, ... or 0.
    int show(std::string_view text, Buttons buttons, UINT icon, UINT extra = 0);
    void error(std::string_view text) { show(text, Buttons::Ok, MB_ICONSTOP); }

private:
    bool silent_;
    std::string languageTitle_, packageTitle_;
    HWND owner_ = nullptr;
};

}  // namespace vortix

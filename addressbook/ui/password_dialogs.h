// The password prompt (asked before a protected book is shown) and Password Setup.
#pragma once

#include <string>

#include "addressbook/ui/password_rules.h"
#include "framework/dialog.h"

namespace ctlite {

class PasswordPromptDialog : public fw::DialogImpl<PasswordPromptDialog> {
public:
    static const fw::CommandEntry<PasswordPromptDialog> kCommands[];
    static const fw::DataEntry<PasswordPromptDialog> kData[];

    explicit PasswordPromptDialog(std::string password) : prompt_(std::move(password)) {}
    // True when the right password was entered.
    bool ask(HWND owner);

private:
    void onProceed();
    void onCancel() { end(IDCANCEL); }

    PasswordPrompt prompt_;
    std::string typed_;
};

class PasswordSetupDialog : public fw::DialogImpl<PasswordSetupDialog> {
public:
    static const fw::CommandEntry<PasswordSetupDialog> kCommands[];
    static const fw::DataEntry<PasswordSetupDialog> kData[];

    explicit PasswordSetupDialog(std::string current) : current_(std::move(current)) {}
    // True on OK: newPassword() is then the password (empty: none).
    bool run(HWND owner);
    const std::string& newPassword() const { return newPassword_; }

private:
    BOOL onInit() override;
    void onOk();
    void onCancel() { end(IDCANCEL); }

    std::string current_, newPassword_;
    // As typed.
    std::string old_, new_, confirmed_;
};

}  // namespace ctlite

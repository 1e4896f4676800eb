#include "addressbook/ui/password_dialogs.h"

#include "addressbook/ui/resource.h"
#include "framework/application.h"

namespace ctlite {

const fw::CommandEntry<PasswordPromptDialog> PasswordPromptDialog::kCommands[] = {
    {IDOK, BN_CLICKED, &PasswordPromptDialog::onProceed},
    {IDCANCEL, BN_CLICKED, &PasswordPromptDialog::onCancel},
    {0, 0, nullptr},
};

// No stored password is longer; a longer text could never match.
const fw::DataEntry<PasswordPromptDialog> PasswordPromptDialog::kData[] = {
    {IDC_PASSWORD, fw::DataKind::Text, &PasswordPromptDialog::typed_, kMaxNameLength},
    {0, fw::DataKind::End},
};

bool PasswordPromptDialog::ask(HWND owner) {
    return runModal(IDD_PASSWORD_PROMPT, owner) == IDOK;
}

void PasswordPromptDialog::onProceed() {
    saveData();
    switch (prompt_.attempt(typed_)) {
        case PasswordPrompt::Result::Accepted: end(IDOK); break;
        case PasswordPrompt::Result::TryAgain:
            setItemText(IDC_PASSWORD_TEXT, "Incorrect. Please try again");
            SetFocus(item(IDC_PASSWORD));
            break;
        case PasswordPrompt::Result::Denied:
            fw::messageBox(handle(), "Wrong password. Access denied.", nullptr, MB_OK);
            end(IDCANCEL);
            break;
    }
}

const fw::CommandEntry<PasswordSetupDialog> PasswordSetupDialog::kCommands[] = {
    {IDOK, BN_CLICKED, &PasswordSetupDialog::onOk},
    {IDCANCEL, BN_CLICKED, &PasswordSetupDialog::onCancel},
    {0, 0, nullptr},
};

const fw::DataEntry<PasswordSetupDialog> PasswordSetupDialog::kData[] = {
    {IDC_OLD_PASSWORD, fw::DataKind::Text, &PasswordSetupDialog::old_, kMaxNameLength},
    {IDC_NEW_PASSWORD, fw::DataKind::Text, &PasswordSetupDialog::new_, kMaxNameLength},
    {IDC_CONFIRM_PASSWORD, fw::DataKind::Text, &PasswordSetupDialog::confirmed_, kMaxNameLength},
    {0, fw::DataKind::End},
};

bool PasswordSetupDialog::run(HWND owner) {
    return runModal(IDD_PASSWORD_SETUP, owner) == IDOK;
}

BOOL PasswordSetupDialog::onInit() {
    if (current_.empty()) {
        enableItem(IDC_OLD_PASSWORD, false);
        enableItem(IDC_OLD_PASSWORD_LABEL, false);
    }
    return TRUE;
}

void PasswordSetupDialog::onOk() {
    saveData();
    switch (checkPasswordChange(current_, old_, new_, confirmed_)) {
        case PasswordChange::WrongOld:
            fw::messageBox(handle(), "You entered wrong old password.", nullptr, MB_OK);
            break;
        case PasswordChange::Mismatch:
            fw::messageBox(handle(),
                           "The new and confirmed password don't match.\n\nPlease try again.",
                           nullptr, MB_OK);
            break;
        case PasswordChange::Unstorable:
            fw::messageBox(handle(),
                           "A password can hold at most 49 characters and no control characters."
                           "\n\nPlease try again.",
                           nullptr, MB_OK | MB_ICONEXCLAMATION);
            break;
        case PasswordChange::Accepted:
            newPassword_ = new_;
            end(IDOK);
            break;
    }
}

}  // namespace ctlite

#include "addressbook/ui/password_dialogs.h"

#include "addressbook/ui/resource.h"
#include "framework/application.h"

namespace ctlite {

const fw::CommandEntry<PasswordPromptDialog> PasswordPromptDialog::kCommands[] = {
    {IDOK, BN_CLICKED, &PasswordPromptDialog::onProceed},
    {IDCANCEL, BN_CLICKED, &PasswordPromptDialog::onCancel},
    {0, 0, nullptr},
};

bool PasswordPromptDialog::ask(HWND owner) {
    return runModal(IDD_PASSWORD_PROMPT, owner) == IDOK;
}

BOOL PasswordPromptDialog::onInit() {
    // No stored password is longer; a longer text could never match.
    sendItem(IDC_PASSWORD, EM_LIMITTEXT, kMaxNameLength);
    return TRUE;
}

void PasswordPromptDialog::onProceed() {
    switch (prompt_.attempt(itemText(IDC_PASSWORD))) {
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

bool PasswordSetupDialog::run(HWND owner) {
    return runModal(IDD_PASSWORD_SETUP, owner) == IDOK;
}

BOOL PasswordSetupDialog::onInit() {
    for (int id : {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD})
        sendItem(id, EM_LIMITTEXT, kMaxNameLength);
    if (current_.empty()) {
        enableItem(IDC_OLD_PASSWORD, false);
        enableItem(IDC_OLD_PASSWORD_LABEL, false);
    }
    return TRUE;
}

void PasswordSetupDialog::onOk() {
    std::string newPassword = itemText(IDC_NEW_PASSWORD);
    switch (checkPasswordChange(current_, itemText(IDC_OLD_PASSWORD), newPassword,
                                itemText(IDC_CONFIRM_PASSWORD))) {
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
            newPassword_ = newPassword;
            end(IDOK);
            break;
    }
}

}  // namespace ctlite

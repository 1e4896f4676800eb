#include "addressbook/phone/dial_dialog.h"

#include "addressbook/ui/resource.h"
#include "framework/application.h"
#include "framework/message_loop.h"

namespace ctlite {
namespace {

constexpr const char* kProperties[] = {"HCALL", "HLINE", "HCOMM"};

}  // namespace

const fw::CommandEntry<DialDialog> DialDialog::kCommands[] = {
    {IDC_DIAL, BN_CLICKED, &DialDialog::onDial},
    {IDC_DIAL_HANG_UP, BN_CLICKED, &DialDialog::onHangUp},
    {IDC_DIAL_TALK_NOW, BN_CLICKED, &DialDialog::onTalkNow},
    {IDCANCEL, BN_CLICKED, &DialDialog::onCancel},
    {IDC_DIAL_OUTSIDE, BN_CLICKED, &DialDialog::onOutsideLine},
    {IDC_DIAL_WAITING, BN_CLICKED, &DialDialog::onCallWaiting},
    {0, 0, nullptr},
};

const fw::MessageEntry<DialDialog> DialDialog::kMessages[] = {
    {WM_DESTROY, &DialDialog::onDestroy},
    {0, nullptr},
};

const fw::DataEntry<DialDialog> DialDialog::kData[] = {
    {IDC_DIAL_TONE, fw::DataKind::Radio, &DialDialog::mode_},
    {IDC_DIAL_OUTSIDE, fw::DataKind::Check, &DialDialog::outsideLine_},
    {IDC_DIAL_WAITING, fw::DataKind::Check, &DialDialog::callWaiting_},
    {IDC_DIAL_OUTSIDE_NUMBER, fw::DataKind::Integer, &DialDialog::outsideNumber_},
    {IDC_DIAL_WAITING_CODE, fw::DataKind::Text, &DialDialog::callWaitingCode_},
    {0, fw::DataKind::End},
};

DialDialog::DialDialog(const Entry& entry, const FieldLabels& labels, const fw::Profile& profile)
    : entry_(entry), choices_(numberChoices(entry, labels)), profile_(profile) {}

INT_PTR DialDialog::run(HWND owner) {
    outsideNumber_ = profile_.getInt("Outside", 1);
    outsideLine_ = profile_.getInt("OutsideTick", 0) == 1;
    return runModal(IDD_DIAL, owner);
}

BOOL DialDialog::onInit() {
    setItemText(IDC_DIAL_TO, dialToText(entry_));
    for (const NumberChoice& choice : choices_)
        sendItem(IDC_DIAL_NUMBER, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.text.c_str()));
    sendItem(IDC_DIAL_NUMBER, CB_SETCURSEL, 0);
    for (const char* code : kCallWaitingCodes)
        sendItem(IDC_DIAL_WAITING_CODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(code));
    enableItem(IDC_DIAL_OUTSIDE_NUMBER, outsideLine_);
    enableItem(IDC_DIAL_WAITING_CODE, callWaiting_);
    showDialled(false);
    return TRUE;
}

void DialDialog::showDialled(bool dialled) {
    enableItem(IDC_DIAL_TALK_NOW, dialled);
    enableItem(IDC_DIAL_HANG_UP, dialled);
    enableItem(IDC_DIAL, !dialled);
    if (!dialled)
        enableItem(IDCANCEL);
}

void DialDialog::onDial() {
    if (!saveData()) {
        fw::messageBox(handle(), "Please enter an integer.", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    DialPrefix prefix{mode_ == 1 ? 'P' : 'T', callWaiting_, callWaitingCode_, outsideLine_,
                      outsideNumber_};
    line_.attachWindow(this);
    // The number of the line chosen, and no other.
    LRESULT chosen = sendItem(IDC_DIAL_NUMBER, CB_GETCURSEL);
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= choices_.size())
        return;
    if (line::failed(
            line_.dial(dialString(prefix, choices_[static_cast<std::size_t>(chosen)].number))))
        return;
    fw::dispatchFor(500);
    enableItem(IDCANCEL, false);
    showDialled(true);
    SetFocus(item(IDC_DIAL_TALK_NOW));
    profile_.setInt("Outside", outsideNumber_);
}

void DialDialog::onHangUp() {
    line_.hangUp();
    showDialled(false);
}

void DialDialog::onTalkNow() {
    onHangUp();
    end(IDOK);
}

void DialDialog::onOutsideLine() {
    outsideLine_ = !outsideLine_;
    enableItem(IDC_DIAL_OUTSIDE_NUMBER, outsideLine_);
    profile_.setInt("OutsideTick", outsideLine_ ? 1 : 0);
}

void DialDialog::onCallWaiting() {
    callWaiting_ = !callWaiting_;
    enableItem(IDC_DIAL_WAITING_CODE, callWaiting_);
}

INT_PTR DialDialog::onDestroy(WPARAM, LPARAM) {
    for (const char* name : kProperties)
        RemovePropA(handle(), name);
    return FALSE;
}

std::uintptr_t DialDialog::moduleInstance() const {
    return static_cast<std::uintptr_t>(GetWindowLongPtrA(handle(), GWLP_HINSTANCE));
}

void DialDialog::setProperty(const char* name, std::uintptr_t value) {
    SetPropA(handle(), name, reinterpret_cast<HANDLE>(value));
}

std::uintptr_t DialDialog::property(const char* name) const {
    return reinterpret_cast<std::uintptr_t>(GetPropA(handle(), name));
}

void DialDialog::pumpMessages(unsigned milliseconds) {
    fw::dispatchFor(milliseconds);
}

void DialDialog::showError(const std::string& text) {
    fw::messageBox(handle(), text, "Error", MB_OK);
}

}  // namespace ctlite

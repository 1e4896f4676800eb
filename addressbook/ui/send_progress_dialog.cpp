#include "addressbook/ui/send_progress_dialog.h"

#include <commctrl.h>

#include "addressbook/ui/resource.h"
#include "framework/application.h"

namespace ctlite {
namespace {

constexpr UINT_PTR kDoneTimer = 1;

}  // namespace

// Escape and the close box ask to cancel, as the button does.
const fw::CommandEntry<SendProgressDialog> SendProgressDialog::kCommands[] = {
    {IDC_SEND_CANCEL, BN_CLICKED, &SendProgressDialog::onCancel},
    {IDCANCEL, BN_CLICKED, &SendProgressDialog::onCancel},
    {0, 0, nullptr},
};

const fw::TimerEntry<SendProgressDialog> SendProgressDialog::kTimers[] = {
    {kDoneTimer, &SendProgressDialog::onTick},
    {0, nullptr},
};

SendProgressDialog::~SendProgressDialog() {
    if (worker_.joinable())
        worker_.join();
}

bool SendProgressDialog::run(HWND owner) {
    return runModal(IDD_SEND_PROGRESS, owner) == IDOK;
}

BOOL SendProgressDialog::onInit() {
    SetWindowTextA(handle(), ("Send to " + request_.to).c_str());
    sendItem(IDC_SEND_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    sendItem(IDC_SEND_BAR, PBM_SETPOS, 0);
    sendItem(IDC_SEND_BAR, PBM_SETSTEP, 32);
    worker_ = std::thread([this] { work(); });
    SetTimer(handle(), kDoneTimer, 500, nullptr);
    return TRUE;
}

void SendProgressDialog::work() {
    bool sent = false;
    try {
        sent = runSend(request_, *this);
    } catch (...) {
        sent = false;  // out of memory: the send failed, the window still closes
    }
    // Last of all: after this the window may go at any moment, and the worker
    // touches nothing of it (the connection has already said goodbye).
    success_ = sent ? 1 : 0;
    done_ = 1;
}

void SendProgressDialog::onTick() {
    if (!done_)
        return;
    KillTimer(handle(), kDoneTimer);
    worker_.join();
    end(success_ ? IDOK : IDCANCEL);
}

// Each chunk of an attachment reports; only a change goes to the window, which
// belongs to the other thread (every message to it waits for that thread).
void SendProgressDialog::setProgress(int percent) {
    if (percent == shownPercent_)
        return;
    shownPercent_ = percent;
    sendItem(IDC_SEND_BAR, PBM_SETPOS, static_cast<WPARAM>(percent));
}

void SendProgressDialog::stepProgress() {
    shownPercent_ = static_cast<int>(sendItem(IDC_SEND_BAR, PBM_STEPIT)) + 32;
}

void SendProgressDialog::setStatus(const std::string& text) {
    if (text == shownStatus_)
        return;
    shownStatus_ = text;
    setItemText(IDC_SEND_STATUS, text);
}

void SendProgressDialog::show(const std::string& text) {
    fw::messageBox(handle(), text, nullptr, MB_OK);
}

}  // namespace ctlite

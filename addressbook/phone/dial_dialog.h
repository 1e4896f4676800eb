// "Make a call": the number to dial, tone or pulse, the outside line and the
// call-waiting code; "&Dial" hands the dial string to the window's TapiLine, which
// reports to this window (its three properties, its message pump, its boxes).
#pragma once

#include <string>
#include <vector>

#include "addressbook/model/entry.h"
#include "addressbook/model/field_labels.h"
#include "addressbook/phone/dial_rules.h"
#include "addressbook/phone/tapi_line.h"
#include "addressbook/phone/win32_telephony.h"
#include "framework/dialog.h"
#include "framework/settings_store.h"

namespace ctlite {

class DialDialog : public fw::DialogImpl<DialDialog>, private LineWindow {
public:
    static const fw::CommandEntry<DialDialog> kCommands[];
    static const fw::MessageEntry<DialDialog> kMessages[];
    static const fw::DataEntry<DialDialog> kData[];

    // `profile` keeps "Outside" and "OutsideTick".
    DialDialog(const Entry& entry, const FieldLabels& labels, const fw::Profile& profile);

    INT_PTR run(HWND owner);

private:
    BOOL onInit() override;
    void onDial();
    void onHangUp();
    void onTalkNow();
    void onCancel() { end(IDCANCEL); }
    void onOutsideLine();
    void onCallWaiting();
    INT_PTR onDestroy(WPARAM, LPARAM);
    // The buttons of the ready state (false) or of the dialled state (true).
    void showDialled(bool dialled);

    // LineWindow
    std::uintptr_t moduleInstance() const override;
    void setProperty(const char* name, std::uintptr_t value) override;
    std::uintptr_t property(const char* name) const override;
    void pumpMessages(unsigned milliseconds) override;
    void showError(const std::string& text) override;

    const Entry& entry_;
    std::vector<NumberChoice> choices_;
    const fw::Profile& profile_;
    Win32Telephony telephony_;
    TapiLine line_{telephony_};
    // The values the controls show.
    int mode_ = 0;  // 0 tone, 1 pulse
    bool outsideLine_ = false;
    bool callWaiting_ = false;
    int outsideNumber_ = 1;
    std::string callWaitingCode_;
};

}  // namespace ctlite

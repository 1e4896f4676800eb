// The About box: the program's name, the maker's web address, and the way to write
// to the maker.
#pragma once

#include "framework/dialog.h"

namespace ctlite {

class AboutBox : public fw::DialogImpl<AboutBox> {
public:
    static const fw::CommandEntry<AboutBox> kCommands[];

    // True when the box was closed to write to the maker ("&Email me bugs or
    // suggestions...").
    bool run(HWND owner);

private:
    BOOL onInit() override;
    void onOk() { end(IDOK); }
    void onFeedback();
};

// Opens a web or mail address (openableAddress): the shell first, else the ".htm"
// class's own command. Returns the shell's result: above 32 when the address was
// opened either way; text that is not such an address is refused as access denied.
int openWebAddress(HWND owner, const char* text);

}  // namespace ctlite

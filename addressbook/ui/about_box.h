// The About box: the program's name and the maker's web address.
#pragma once

#include "framework/dialog.h"

namespace ctlite {

class AboutBox : public fw::DialogImpl<AboutBox> {
public:
    static const fw::CommandEntry<AboutBox> kCommands[];

    void run(HWND owner);

private:
    BOOL onInit() override;
    void onOk() { end(IDOK); }
};

// Opens a web or mail address (openableAddress): the shell first, else the ".htm"
// class's own command. Returns the shell's result: above 32 when the address was
// opened either way; text that is not such an address is refused as access denied.
int openWebAddress(HWND owner, const char* text);

}  // namespace ctlite

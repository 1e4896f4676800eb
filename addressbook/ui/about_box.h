// The About box: the program's name and the maker's web address.
#pragma once

#include "framework/dialog.h"

namespace ctlite {

class AboutBox : public fw::DialogImpl<AboutBox> {
public:
    static const fw::CommandEntry<AboutBox> kCommands[];
    static const fw::MessageEntry<AboutBox> kMessages[];

    void run(HWND owner);

private:
    void onOk() { end(IDOK); }
    void onLink();
    INT_PTR onStaticColour(WPARAM wParam, LPARAM lParam);
};

// Opens a web address: the shell first, else the ".htm" class's own command.
void openWebAddress(HWND owner, const char* address);

}  // namespace ctlite

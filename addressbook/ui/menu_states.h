// Popup menus that repeat the main window's commands (the name list's, the display
// card's) offer each command only while the main window does.
#pragma once

#include <windows.h>

namespace ctlite {

// Greys each item of `popup` (and its submenus) that is greyed in `main`'s menu or
// whose button in `main` is disabled; items of ids the main window lacks stay.
void mirrorCommandStates(HMENU popup, HWND main);

}  // namespace ctlite

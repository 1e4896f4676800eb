#include "addressbook/ui/menu_states.h"

namespace ctlite {

void mirrorCommandStates(HMENU popup, HWND main) {
    HMENU mainMenu = GetMenu(main);
    for (int i = 0, n = GetMenuItemCount(popup); i < n; ++i) {
        if (HMENU sub = GetSubMenu(popup, i)) {
            mirrorCommandStates(sub, main);
            continue;
        }
        UINT id = GetMenuItemID(popup, i);
        if (id == 0 || id == static_cast<UINT>(-1))
            continue;
        bool enabled = true;
        if (HWND button = GetDlgItem(main, static_cast<int>(id))) {
            enabled = IsWindowEnabled(button) != FALSE;
        } else {
            UINT state = GetMenuState(mainMenu, id, MF_BYCOMMAND);
            enabled = state == static_cast<UINT>(-1) || !(state & (MF_GRAYED | MF_DISABLED));
        }
        EnableMenuItem(popup, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

}  // namespace ctlite

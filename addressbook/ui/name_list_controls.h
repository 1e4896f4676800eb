// The behaviour the name list and its two arrow buttons add to the standard
// controls of the main window's template:
// - the name list opens the "ListBox" menu on a right click over a selection,
//   deletes with the Delete key, edits with Enter, and takes the arrow buttons'
//   next/previous message;
// - the arrow buttons send that message while they are held, faster and faster,
//   until the button is let go or loses the mouse to another window.
// Both are framework controls over the standard ones (fw::ControlImpl, bound
// through GWLP_USERDATA: every message of the list passes its procedure, and a
// window property would cost a trip to the server each time); their commands go
// to the main window. The list box itself holds no lines: it shows the main
// window's NameList, in its order, and answers their texts and entries
// (LB_GETTEXT, LB_GETTEXTLEN, LB_GETITEMDATA) and the typed first letter from it.
#pragma once

#include <windows.h>

#include "addressbook/model/name_list.h"

namespace ctlite {

// What the arrow buttons send the name list: wParam the button's id, lParam the
// direction (0 next line, 1 previous line).
inline constexpr UINT kStepMessage = WM_USER + 10;
inline constexpr LPARAM kStepNext = 0, kStepPrevious = 1;

// The wait before the n-th step message while an arrow is held (n from 0).
inline DWORD repeatDelay(int n) {
    return n < 10 ? 100 : n < 20 ? 75 : n < 30 ? 50 : 25;
}

// `list` is an owner-drawn, owner-data list box (LBS_OWNERDRAWFIXED | LBS_NODATA);
// `lines` outlives it.
void attachNameList(HWND list, const NameList& lines);
// Shows the lines as they are now, none selected.
void showNameLines(HWND list);
void attachRepeatButton(HWND button, HWND target, LPARAM direction);

}  // namespace ctlite

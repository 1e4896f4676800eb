// The behaviour the name list and its two arrow buttons add to the standard
// controls of the main window's template:
// - the name list opens the "ListBox" menu on a right click over a selection,
//   deletes with the Delete key, edits with Enter, and takes the arrow buttons'
//   next/previous message;
// - the arrow buttons send that message while they are held, faster and faster,
//   until the button is let go or loses the mouse to another window.
// Both are framework controls over the standard ones (fw::ControlImpl, bound
// through GWLP_USERDATA: the name list takes every line of the book through
// its procedure); their commands go to the main window.
#pragma once

#include <windows.h>

namespace ctlite {

// What the arrow buttons send the name list: wParam the button's id, lParam the
// direction (0 next line, 1 previous line).
inline constexpr UINT kStepMessage = WM_USER + 10;
inline constexpr LPARAM kStepNext = 0, kStepPrevious = 1;

// The wait before the n-th step message while an arrow is held (n from 0).
inline DWORD repeatDelay(int n) {
    return n < 10 ? 100 : n < 20 ? 75 : n < 30 ? 50 : 25;
}

void attachNameList(HWND list);
void attachRepeatButton(HWND button, HWND target, LPARAM direction);

}  // namespace ctlite

// The program's message pumps, in one place so that they treat WM_QUIT alike: a
// loop that meets it ends, and a pump or wait that is nested inside another loop
// posts it again so that the loop outside ends too.
//
// They also keep the thread's modeless dialogs working: every top-level modeless
// dialog that exists is on the thread's list (fw::Dialog puts it there when it is
// made and takes it off when it is destroyed), and each loop, pump and wait below
// gives a keyboard message for one of them, or for a control inside it, to
// IsDialogMessage first: Tab, Enter, Escape and the mnemonics reach the dialog
// the user is typing in, however many are open. Alt and a letter that a title of
// the dialog's menu bar underlines is the menu's, not a control's: it opens that
// menu even when a button has the same letter.
#pragma once

#include <windows.h>

#include <functional>

namespace fw {

// Puts a modeless dialog on this thread's list, or takes it off. fw::Dialog does
// both itself; these are for a dialog made some other way.
void addModelessDialog(HWND dialog);
void removeModelessDialog(HWND dialog);

// Gives one message to the modeless dialog it is typed into, or translates and
// dispatches it: the step every loop takes.
void dispatchMessage(MSG& message);

// With no window: runs until WM_QUIT and returns its exit code. With a window
// (the program's only modeless dialog, say): runs until that window is destroyed
// and returns 0; a WM_QUIT that comes first ends the loop as well, is posted
// again for the loop outside, and its exit code is returned.
int runMessageLoop(HWND until = nullptr);

// Runs until `done()` holds (asked before the first message and after each one)
// and returns true; false when WM_QUIT comes first, which is posted again for the
// loop outside. A page that waits for the user's choice runs this.
bool runMessageLoopUntil(const std::function<bool()>& done);

// Dispatches the messages already waiting, then returns: false when WM_QUIT was
// among them (it is posted again for the loop outside).
bool pumpWaitingMessages();

// Handles the messages that arrive for `milliseconds` (by the tick count), asleep
// while none is waiting, then returns: false when WM_QUIT came, which is posted
// again for the loop outside and ends the wait at once.
bool dispatchFor(DWORD milliseconds);

// Waits for `object` (a process, an event...) while the program's windows keep
// working; the wait's result: WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED. A
// WM_QUIT that arrives meanwhile is posted again and the wait goes on.
DWORD waitDispatching(HANDLE object, DWORD timeoutMs = INFINITE);

}  // namespace fw

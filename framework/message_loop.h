// The program's message pumps, in one place so that they treat WM_QUIT alike: a
// loop that meets it ends, and a pump or wait that is nested inside another loop
// posts it again so that the loop outside ends too.
#pragma once

#include <windows.h>

namespace fw {

// Runs until WM_QUIT and returns its exit code. Keyboard messages for `dialog`
// (a modeless dialog, or null) get the dialog's keys (Tab, Enter, Escape).
int runMessageLoop(HWND dialog = nullptr);

// Dispatches the messages already waiting, then returns: false when WM_QUIT was
// among them (it is posted again for the loop outside).
bool pumpWaitingMessages();

// Waits for `object` (a process, an event...) while the program's windows keep
// working; the wait's result: WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED. A
// WM_QUIT that arrives meanwhile is posted again and the wait goes on.
DWORD waitDispatching(HANDLE object, DWORD timeoutMs = INFINITE);

}  // namespace fw

#include "framework/message_loop.h"

namespace fw {
namespace {

void dispatch(MSG& message, HWND dialog) {
    if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

// Dispatches what is waiting; the WM_QUIT met on the way, if any.
bool takeWaiting(int& quitCode) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitCode = static_cast<int>(message.wParam);
            return true;
        }
        dispatch(message, nullptr);
    }
    return false;
}

}  // namespace

int runMessageLoop(HWND dialog) {
    MSG message;
    for (;;) {
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(message.wParam);
        if (got < 0)
            return -1;
        dispatch(message, dialog);
    }
}

bool pumpWaitingMessages() {
    int quitCode = 0;
    if (!takeWaiting(quitCode))
        return true;
    PostQuitMessage(quitCode);
    return false;
}

DWORD waitDispatching(HANDLE object, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    bool quit = false;
    int quitCode = 0;
    DWORD result = WAIT_FAILED;
    for (;;) {
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            DWORD spent = GetTickCount() - start;
            left = spent >= timeoutMs ? 0 : timeoutMs - spent;
        }
        DWORD woken = MsgWaitForMultipleObjects(1, &object, FALSE, left, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1) {
            result = woken;
            break;
        }
        // A WM_QUIT is kept aside until the wait ends, or the queue would never
        // be empty again.
        if (takeWaiting(quitCode))
            quit = true;
    }
    if (quit)
        PostQuitMessage(quitCode);
    return result;
}

}  // namespace fw

#include "framework/message_loop.h"

#include <algorithm>
#include <vector>

namespace fw {
namespace {

// This thread's modeless dialogs, the newest last.
thread_local std::vector<HWND> modelessDialogs;

// The modeless dialog a keyboard message is typed into, or null.
HWND dialogTypedInto(const MSG& message) {
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !message.hwnd)
        return nullptr;
    for (auto dialog = modelessDialogs.rbegin(); dialog != modelessDialogs.rend(); ++dialog)
        if (*dialog == message.hwnd || IsChild(*dialog, message.hwnd))
            return *dialog;
    return nullptr;
}

// Dispatches what is waiting; the WM_QUIT met on the way, if any.
bool takeWaiting(int& quitCode) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitCode = static_cast<int>(message.wParam);
            return true;
        }
        dispatchMessage(message);
    }
    return false;
}

}  // namespace

void addModelessDialog(HWND dialog) {
    if (dialog &&
        std::find(modelessDialogs.begin(), modelessDialogs.end(), dialog) == modelessDialogs.end())
        modelessDialogs.push_back(dialog);
}

void removeModelessDialog(HWND dialog) {
    modelessDialogs.erase(std::remove(modelessDialogs.begin(), modelessDialogs.end(), dialog),
                          modelessDialogs.end());
}

void dispatchMessage(MSG& message) {
    // The dialog is looked up first and asked after: IsDialogMessage may close
    // dialogs and so change the list.
    if (HWND dialog = dialogTypedInto(message); dialog && IsDialogMessageA(dialog, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

int runMessageLoop(HWND until) {
    MSG message;
    for (;;) {
        if (until && !IsWindow(until))
            return 0;
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            if (until)
                PostQuitMessage(static_cast<int>(message.wParam));
            return static_cast<int>(message.wParam);
        }
        if (got < 0)
            return -1;
        dispatchMessage(message);
    }
}

bool runMessageLoopUntil(const std::function<bool()>& done) {
    MSG message;
    while (!done()) {
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        if (got < 0)
            return false;
        dispatchMessage(message);
    }
    return true;
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

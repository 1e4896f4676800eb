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

// A character in upper case, by the thread's code page (CharUpperA takes one
// character in the low word of its argument).
char upper(char c) {
    auto one = static_cast<ULONG_PTR>(static_cast<unsigned char>(c));
    return static_cast<char>(reinterpret_cast<ULONG_PTR>(CharUpperA(reinterpret_cast<LPSTR>(one))));
}

// The letter a menu title underlines ("&File": 'F'), in upper case; 0 when none.
char titleMnemonic(const char* title) {
    for (const char* c = title; *c; ++c) {
        if (*c != '&')
            continue;
        if (c[1] != '&')
            return upper(c[1]);
        ++c;  // "&&" shows one ampersand
    }
    return 0;
}

// Alt and a letter that a title of the dialog's menu bar underlines. It opens that
// menu, as in any window with a menu bar; the dialog's controls would otherwise
// take it first when one of them has the same letter (a "&Find" button beside
// the "&File" menu), and the menu could not be reached from the keyboard.
bool opensMenuBar(HWND dialog, const MSG& message) {
    if (message.message != WM_SYSCHAR || !(HIWORD(message.lParam) & KF_ALTDOWN))
        return false;
    HMENU bar = GetMenu(dialog);
    const char letter = upper(static_cast<char>(message.wParam));
    const int count = bar ? GetMenuItemCount(bar) : 0;
    for (int i = 0; i < count; ++i) {
        char title[256] = "";
        GetMenuStringA(bar, static_cast<UINT>(i), title, sizeof title, MF_BYPOSITION);
        if (letter && titleMnemonic(title) == letter)
            return true;
    }
    return false;
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
    if (HWND dialog = dialogTypedInto(message);
        dialog && !opensMenuBar(dialog, message) && IsDialogMessageA(dialog, &message))
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

bool dispatchFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        int quitCode = 0;
        if (takeWaiting(quitCode)) {
            PostQuitMessage(quitCode);
            return false;
        }
        DWORD spent = GetTickCount() - start;
        if (spent >= milliseconds)
            return true;
        MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds - spent, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
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

#include "framework/dialog.h"

#include "framework/message_loop.h"

namespace fw {

Dialog::~Dialog() {
    if (handle() && mode_ != Mode::Modal)
        DestroyWindow(handle());
}

INT_PTR Dialog::runModal(int templateId, HWND owner) {
    mode_ = Mode::Modal;
    return DialogBoxParamA(resourceInstance(), MAKEINTRESOURCEA(templateId), owner,
                           &Dialog::procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::runAsMainWindow(int templateId) {
    mode_ = Mode::MainWindow;
    ended_ = false;
    result_ = 0;
    HWND hwnd = CreateDialogParamA(resourceInstance(), MAKEINTRESOURCEA(templateId), nullptr,
                                   &Dialog::procedure, reinterpret_cast<LPARAM>(this));
    if (!hwnd)
        return -1;
    addModelessDialog(hwnd);
    // A window ended while it was being made is never shown.
    if (!ended_)
        runMainLoop();
    if (IsWindow(hwnd))
        DestroyWindow(hwnd);
    return result_;
}

void Dialog::runMainLoop() {
    // As a modal dialog's loop runs: the window shows the first time the queue is
    // empty, or after its first timer message when timers keep the queue busy. A window
    // the program has shown itself (maximised, say) is left as it is.
    HWND hwnd = handle();
    bool shown = IsWindowVisible(hwnd) != FALSE;
    MSG message;
    for (;;) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!shown) {
                ShowWindow(hwnd, SW_SHOWNORMAL);
                shown = true;
            }
            if (GetMessageA(&message, nullptr, 0, 0) < 0)
                return;
        }
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside
            return;
        }
        dispatchMessage(message);
        if (ended_ || !IsWindow(hwnd))
            return;
        if (!shown && message.message == WM_TIMER) {
            ShowWindow(hwnd, SW_SHOWNORMAL);
            shown = true;
        }
    }
}

HWND Dialog::madeModeless(HWND hwnd) {
    if (hwnd && IsWindow(hwnd)) {
        ShowWindow(hwnd, SW_SHOW);
        // A dialog inside another window gets its keys from that window's dialog.
        if (!(GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD))
            addModelessDialog(hwnd);
    }
    return hwnd;
}

HWND Dialog::createModeless(int templateId, HWND owner) {
    mode_ = Mode::Modeless;
    return madeModeless(CreateDialogParamA(resourceInstance(), MAKEINTRESOURCEA(templateId), owner,
                                           &Dialog::procedure, reinterpret_cast<LPARAM>(this)));
}

HWND Dialog::createModeless(const DLGTEMPLATE* dialogTemplate, HWND owner) {
    mode_ = Mode::Modeless;
    return madeModeless(CreateDialogIndirectParamA(resourceInstance(), dialogTemplate, owner,
                                                   &Dialog::procedure,
                                                   reinterpret_cast<LPARAM>(this)));
}

void Dialog::end(INT_PTR result) {
    if (!handle())
        return;
    switch (mode_) {
        case Mode::Modal: EndDialog(handle(), result); break;
        case Mode::MainWindow:
            // Hidden now, destroyed once its loop has ended.
            ended_ = true;
            result_ = result;
            EndDialog(handle(), result);
            break;
        case Mode::Modeless: DestroyWindow(handle()); break;
    }
}

INT_PTR Dialog::answer(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        try {
            loadData();
            return onInit();
        } catch (...) {
            return FALSE;  // nothing may unwind through Windows' own frames
        }
    }
    if (message == WM_NCDESTROY && mode_ != Mode::Modal)
        removeModelessDialog(handle());
    INT_PTR result = FALSE;
    return route(message, wParam, lParam, result) ? result : FALSE;
}

INT_PTR CALLBACK Dialog::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* arriving = message == WM_INITDIALOG ? reinterpret_cast<Dialog*>(lParam) : nullptr;
    auto* self = static_cast<Dialog*>(bound(hwnd, DWLP_USER, arriving));
    return self ? self->answer(message, wParam, lParam) : FALSE;
}

}  // namespace fw

#include "framework/dialog.h"

namespace fw {

Dialog::~Dialog() {
    if (hwnd_ && modeless_)
        DestroyWindow(hwnd_);
}

INT_PTR Dialog::runModal(HINSTANCE instance, int templateId, HWND owner) {
    modeless_ = false;
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, &Dialog::procedure,
                           reinterpret_cast<LPARAM>(this));
}

HWND Dialog::createModeless(HINSTANCE instance, int templateId, HWND owner) {
    modeless_ = true;
    HWND hwnd = CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), owner,
                                   &Dialog::procedure, reinterpret_cast<LPARAM>(this));
    if (hwnd)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

void Dialog::end(INT_PTR result) {
    if (!hwnd_)
        return;
    if (modeless_) {
        DestroyWindow(hwnd_);
        PostQuitMessage(static_cast<int>(result));
    } else {
        EndDialog(hwnd_, result);
    }
}

INT_PTR CALLBACK Dialog::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;
    try {
        if (message == WM_INITDIALOG)
            return self->onInit();
        INT_PTR result = FALSE;
        bool handled = self->dispatch(message, wParam, lParam, result);
        if (message == WM_NCDESTROY)
            self->hwnd_ = nullptr;
        return handled ? result : FALSE;
    } catch (...) {
        // Nothing may unwind through Windows' own frames.
        return FALSE;
    }
}

}  // namespace fw

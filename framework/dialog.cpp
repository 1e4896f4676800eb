#include "framework/dialog.h"

namespace fw {

Dialog::~Dialog() {
    if (handle() && modeless_)
        DestroyWindow(handle());
}

INT_PTR Dialog::runModal(int templateId, HWND owner) {
    modeless_ = false;
    return DialogBoxParamA(resourceInstance(), MAKEINTRESOURCEA(templateId), owner,
                           &Dialog::procedure, reinterpret_cast<LPARAM>(this));
}

HWND Dialog::createModeless(int templateId, HWND owner) {
    modeless_ = true;
    HWND hwnd = CreateDialogParamA(resourceInstance(), MAKEINTRESOURCEA(templateId), owner,
                                   &Dialog::procedure, reinterpret_cast<LPARAM>(this));
    if (hwnd)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

HWND Dialog::createModeless(const DLGTEMPLATE* dialogTemplate, HWND owner) {
    modeless_ = true;
    HWND hwnd = CreateDialogIndirectParamA(resourceInstance(), dialogTemplate, owner,
                                           &Dialog::procedure, reinterpret_cast<LPARAM>(this));
    if (hwnd)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

void Dialog::end(INT_PTR result) {
    if (!handle())
        return;
    if (modeless_) {
        DestroyWindow(handle());
        PostQuitMessage(static_cast<int>(result));
    } else {
        EndDialog(handle(), result);
    }
}

INT_PTR Dialog::answer(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        try {
            return onInit();
        } catch (...) {
            return FALSE;  // nothing may unwind through Windows' own frames
        }
    }
    INT_PTR result = FALSE;
    return route(message, wParam, lParam, result) ? result : FALSE;
}

INT_PTR CALLBACK Dialog::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* arriving = message == WM_INITDIALOG ? reinterpret_cast<Dialog*>(lParam) : nullptr;
    auto* self = static_cast<Dialog*>(bound(hwnd, DWLP_USER, arriving));
    return self ? self->answer(message, wParam, lParam) : FALSE;
}

}  // namespace fw

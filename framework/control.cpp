#include "framework/control.h"

namespace fw {

Control::~Control() {
    detach();
}

bool Control::attach(HWND control) {
    if (!control || handle() || GetWindowLongPtrA(control, GWLP_USERDATA))
        return false;
    bound(control, GWLP_USERDATA, this);
    // Wide, as the standard controls are: their messages pass on unconverted.
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Control::procedure)));
    return true;
}

Control* Control::boundControl(HWND control) {
    // Only a control whose procedure is ours holds one of our objects in its word.
    if (!control ||
        GetWindowLongPtrW(control, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&Control::procedure))
        return nullptr;
    return static_cast<Control*>(bound(control, GWLP_USERDATA, nullptr));
}

void Control::detach() {
    HWND hwnd = handle();
    if (!hwnd || !original_)
        return;
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    unbind(GWLP_USERDATA);
}

LRESULT CALLBACK Control::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<Control*>(bound(hwnd, GWLP_USERDATA, nullptr));
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    WNDPROC original = self->original_;
    if (message == WM_NCDESTROY) {
        // Unbound first: the tables see the message, then the control's own
        // procedure has the last word.
        self->detach();
        INT_PTR ignored = 0;
        self->route(message, wParam, lParam, ignored);
        LRESULT result = CallWindowProcW(original, hwnd, message, wParam, lParam);
        self->onDetached();
        return result;
    }
    INT_PTR result = 0;
    if (self->route(message, wParam, lParam, result))
        return result;
    return CallWindowProcW(original, hwnd, message, wParam, lParam);
}

}  // namespace fw

#include "framework/window_base.h"

#include "framework/application.h"

namespace fw {

std::string windowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    if (length <= 0)
        return {};
    // The length may be an overestimate (text in more than one byte per character).
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

void setWindowText(HWND window, std::string_view text) {
    SetWindowTextA(window, std::string(text).c_str());
}

HINSTANCE resourceInstance() {
    if (Application* application = Application::find())
        return application->instance();
    return GetModuleHandleA(nullptr);
}

void WindowBase::setItemIcon(int id, HICON icon) const {
    HWND control = item(id);
    char className[16] = "";
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "Button") == 0)
        SendMessageA(control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    else
        SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

WindowBase* WindowBase::bound(HWND hwnd, int slot, WindowBase* arriving) {
    if (arriving) {
        arriving->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, slot, reinterpret_cast<LONG_PTR>(arriving));
        return arriving;
    }
    return reinterpret_cast<WindowBase*>(GetWindowLongPtrA(hwnd, slot));
}

bool WindowBase::route(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) noexcept {
    bool handled = false;
    try {
        handled = dispatch(message, wParam, lParam, result);
    } catch (...) {
        // Nothing may unwind through Windows' own frames.
        handled = false;
    }
    if (message == WM_NCDESTROY)
        hwnd_ = nullptr;
    return handled;
}

void WindowBase::unbind(int slot) {
    if (hwnd_)
        SetWindowLongPtrA(hwnd_, slot, 0);
}

}  // namespace fw

#include "framework/window.h"

namespace fw {

Window::~Window() {
    if (hwnd_) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

HWND Window::create(const WNDCLASSEXA& shape, DWORD exStyle, const char* title, DWORD style, int x,
                    int y, int width, int height, HWND parent) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExA(shape.hInstance, shape.lpszClassName, &existing)) {
        WNDCLASSEXA cls = shape;
        cls.cbSize = sizeof cls;
        cls.lpfnWndProc = &Window::procedure;
        if (!RegisterClassExA(&cls))
            return nullptr;
    }
    return CreateWindowExA(exStyle, shape.lpszClassName, title, style, x, y, width, height, parent,
                           nullptr, shape.hInstance, this);
}

LRESULT CALLBACK Window::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (self) {
        try {
            INT_PTR result = 0;
            bool handled = self->dispatch(message, wParam, lParam, result);
            if (message == WM_NCDESTROY)
                self->hwnd_ = nullptr;
            if (handled)
                return result;
        } catch (...) {
            // Nothing may unwind through Windows' own frames.
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace fw

#include "framework/window.h"

namespace fw {

Window::~Window() {
    if (HWND hwnd = handle()) {
        unbind(GWLP_USERDATA);
        DestroyWindow(hwnd);
    }
}

HWND Window::create(const WNDCLASSEXA& shape, DWORD exStyle, const char* title, DWORD style, int x,
                    int y, int width, int height, HWND parent, HMENU menu) {
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
                           menu, shape.hInstance, this);
}

LRESULT CALLBACK Window::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* arriving = nullptr;
    if (message == WM_NCCREATE)
        arriving = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (auto* self = static_cast<Window*>(bound(hwnd, GWLP_USERDATA, arriving))) {
        INT_PTR result = 0;
        if (self->route(message, wParam, lParam, result))
            return result;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace fw

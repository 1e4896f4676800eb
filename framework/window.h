// Plain windows of our own classes, in the same message-table style as dialogs:
// one static procedure binds `this` (handed over in WM_NCCREATE) and passes every
// message to the class's tables; what they do not handle goes to DefWindowProc.
// No exception ever escapes into Windows.
//
//   class MainFrame : public fw::WindowImpl<MainFrame> {
//   public:
//       static const fw::MessageEntry<MainFrame> kMessages[];
//   };
#pragma once

#include "framework/window_base.h"

namespace fw {

class Window : public WindowBase {
public:
    ~Window() override;

    // Registers the class once per process (the procedure is ours; the rest comes
    // from `shape`), then makes the window, with `menu` when one is given; null
    // when either fails.
    HWND create(const WNDCLASSEXA& shape, DWORD exStyle, const char* title, DWORD style, int x,
                int y, int width, int height, HWND parent, HMENU menu = nullptr);

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

template <class T>
using WindowImpl = TableDispatch<T, Window>;

}  // namespace fw

// Plain windows of our own classes, in the same message-table style as dialogs:
// one static procedure binds `this` (handed over in WM_NCCREATE) and passes every
// message to the class's table; what the table does not handle goes to
// DefWindowProc. No exception ever escapes into Windows.
//
//   class MainFrame : public fw::WindowImpl<MainFrame> {
//   public:
//       static const fw::MessageEntry<MainFrame> kMessages[];
//       static const fw::CommandEntry<MainFrame> kCommands[];
//   };
#pragma once

#include <windows.h>

#include "framework/dialog.h"

namespace fw {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    // Registers the class once per process (the procedure is ours; the rest comes
    // from `shape`), then makes the window; null when either fails.
    HWND create(const WNDCLASSEXA& shape, DWORD exStyle, const char* title, DWORD style, int x,
                int y, int width, int height, HWND parent);
    HWND handle() const { return hwnd_; }

protected:
    virtual bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) = 0;

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

template <class T>
class WindowImpl : public Window {
protected:
    bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        return dispatchThroughTables(static_cast<T*>(this), message, wParam, lParam, result);
    }
};

}  // namespace fw

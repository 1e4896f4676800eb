// The setup program's main window: class "VortixInstaller", the background behind
// the wizard pages, with "About..." in its system menu and in the menu of its
// background (a right click, or the menu key on a page: the styles that fill the
// screen have no system menu). The package's plug-in sees its messages first.
#pragma once

#include <windows.h>

#include <string>

#include "framework/window.h"
#include "installer/package/package.h"
#include "installer/setup/addons/plugin_library.h"

namespace vortix {

class SetupWindow : public fw::WindowImpl<SetupWindow> {
public:
    static const fw::MessageEntry<SetupWindow> kMessages[];
    static constexpr const char* kClassName = "VortixInstaller";

    // Makes the window in the package's style; false when it cannot be made. A
    // background that cannot be prepared is left out (backgroundFailed()).
    bool create(HINSTANCE instance, const std::string& title, WindowStyle style);
    // Shown maximised for the styles that fill the screen.
    void show();
    // The caption, and the title painted on the background, become `title`.
    void setTitle(const std::string& title);
    // True when the painted background could not be prepared.
    bool backgroundFailed() const { return backgroundFailed_; }
    // The plug-in's OnMessage: every message of the window from now on goes to it
    // first; one it says it has handled goes no further.
    void setMessageHook(PFN_OnMessage hook) { hook_ = hook; }

    ~SetupWindow() override;

protected:
    bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    bool prepareBackground();
    void showAbout();
    INT_PTR onContextMenu(WPARAM, LPARAM);
    INT_PTR onPaint(WPARAM, LPARAM);
    INT_PTR onEraseBackground(WPARAM, LPARAM);
    INT_PTR onSysCommand(WPARAM, LPARAM);
    INT_PTR onDisplayChange(WPARAM, LPARAM);
    INT_PTR onClose(WPARAM, LPARAM);

    HINSTANCE instance_ = nullptr;
    WindowStyle style_ = WindowStyle::NoBackground;
    std::string title_;
    HBITMAP background_ = nullptr;
    SIZE backgroundSize_{};
    bool backgroundFailed_ = false;
    PFN_OnMessage hook_ = nullptr;
};

}  // namespace vortix

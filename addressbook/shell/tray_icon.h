// The program's icon in the notification area while the main window is hidden.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace ctlite {

class CTrayIcon {
public:
    CTrayIcon() = default;
    ~CTrayIcon() { HideIcon(); }
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    bool ShowIcon(HWND owner, UINT callbackMessage, const char* tip, HICON icon, UINT id);
    bool HideIcon();
    // The callback's parameters: the icon's id and the mouse message.
    bool HandleNotification(WPARAM id, LPARAM mouseMessage);
    bool shown() const { return enabled_; }

private:
    NOTIFYICONDATAA record_{};
    bool enabled_ = false;
};

}  // namespace ctlite

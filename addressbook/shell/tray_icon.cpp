#include "addressbook/shell/tray_icon.h"

#include <cstring>

#include "framework/application.h"

namespace ctlite {

bool CTrayIcon::ShowIcon(HWND owner, UINT callbackMessage, const char* tip, HICON icon, UINT id) {
    if (!IsWindow(owner)) {
        enabled_ = false;
        return false;
    }
    record_ = NOTIFYICONDATAA{};
    record_.cbSize = NOTIFYICONDATAA_V1_SIZE;  // 88 bytes, as the first shells want it
    record_.hWnd = owner;
    record_.uID = id;
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record_.uCallbackMessage = callbackMessage;
    record_.hIcon = icon;
    std::strncpy(record_.szTip, tip, 63);
    enabled_ = Shell_NotifyIconA(NIM_ADD, &record_) != FALSE;
    return enabled_;
}

bool CTrayIcon::HideIcon() {
    if (!enabled_)
        return false;
    record_.uFlags = 0;
    enabled_ = false;
    return Shell_NotifyIconA(NIM_DELETE, &record_) != FALSE;
}

bool CTrayIcon::HandleNotification(WPARAM id, LPARAM mouseMessage) {
    if (id != record_.uID)
        return false;
    if (mouseMessage != WM_RBUTTONUP && mouseMessage != WM_LBUTTONDBLCLK)
        return true;
    HMENU menu = LoadMenuA(fw::Application::current().instance(), MAKEINTRESOURCEA(record_.uID));
    HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
    if (!popup) {
        if (menu)
            DestroyMenu(menu);
        return false;
    }
    SetForegroundWindow(record_.hWnd);
    if (mouseMessage == WM_RBUTTONUP) {
        SetMenuDefaultItem(popup, 0, TRUE);
        POINT at;
        GetCursorPos(&at);
        TrackPopupMenu(popup, TPM_LEFTBUTTON, at.x, at.y, 0, record_.hWnd, nullptr);
    } else {
        SendMessageA(record_.hWnd, WM_COMMAND, GetMenuItemID(popup, 0), 0);
    }
    DestroyMenu(menu);
    return true;
}

}  // namespace ctlite

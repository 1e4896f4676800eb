#include "addressbook/ui/main_window.h"

#include "addressbook/ui/password_dialogs.h"
#include "addressbook/ui/resource.h"

namespace ctlite {

bool MainWindow::showTrayIcon() {
    tray_.HideIcon();  // never two icons
    HICON icon = LoadIconA(fw::resourceInstance(), MAKEINTRESOURCEA(IDI_TRAY));
    return tray_.ShowIcon(handle(), WM_TRAY_NOTIFY, kProduct, icon, IDR_SYSTEMTRAY);
}

void MainWindow::hideInTray() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(handle(), &placement);
    maximizedBeforeTray_ = (placement.flags & WPF_RESTORETOMAXIMIZED) != 0;
    bool iconShown = showTrayIcon();
    save();
    // Without an icon the window stays on the taskbar, minimised: never out of reach.
    if (!iconShown)
        return;
    // While hidden, memory holds the password scrambled.
    book_.scramblePassword();
    ShowWindow(handle(), SW_HIDE);
}

INT_PTR MainWindow::onTaskbarCreated() {
    // The shell restarted and forgot the icon: add it again, or come back into view.
    if (tray_.shown() && !showTrayIcon())
        onShowFromTray();
    return FALSE;
}

void MainWindow::onStartInTrayTimer() {
    // The dialog shows itself once it is made; a tick that comes sooner waits for that.
    if (!IsWindowVisible(handle()))
        return;
    KillTimer(handle(), 1);
    maximizedBeforeTray_ = IsZoomed(handle()) != FALSE;
    if (!showTrayIcon()) {
        // No notification area yet: the window stays in view, asking first for the
        // password of a locked book, as when it comes back from the tray.
        unlockOrEnd();
        return;
    }
    ShowWindow(handle(), SW_HIDE);
    book_.scramblePassword();
}

INT_PTR MainWindow::onTrayNotify(WPARAM id, LPARAM mouseMessage) {
    tray_.HandleNotification(id, mouseMessage);
    return TRUE;
}

void MainWindow::onShowFromTray() {
    // Also a second start's way in: a window in view only comes forward.
    if (showingFromTray_ || (IsWindowVisible(handle()) && !IsIconic(handle()))) {
        SetForegroundWindow(GetLastActivePopup(handle()));
        return;
    }
    showingFromTray_ = true;
    book_.unscramblePassword();
    bool unlocked = unlockOrEnd();
    showingFromTray_ = false;
    if (!unlocked)
        return;
    ShowWindow(handle(), profile_.getInt("Maximized", 0) == 1 ? SW_SHOWMAXIMIZED : SW_RESTORE);
    SetForegroundWindow(handle());
    tray_.HideIcon();
}

bool MainWindow::unlockOrEnd() {
    if (!book_.locked())
        return true;
    if (!PasswordPromptDialog(book_.password()).ask(handle())) {
        tray_.HideIcon();
        endQuietly();
        return false;
    }
    book_.setLocked(false);
    return true;
}

void MainWindow::onTrayExit() {
    // As Exit; the password is held scrambled and saved as always.
    onExit();
}

}  // namespace ctlite

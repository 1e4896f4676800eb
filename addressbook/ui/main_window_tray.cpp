#include "addressbook/ui/main_window.h"

#include "addressbook/ui/password_dialogs.h"
#include "addressbook/ui/resource.h"

namespace ctlite {

void MainWindow::showTrayIcon() {
    HICON icon = LoadIconA(fw::resourceInstance(), MAKEINTRESOURCEA(IDI_TRAY));
    tray_.ShowIcon(handle(), WM_TRAY_NOTIFY, kProduct, icon, IDR_SYSTEMTRAY);
}

void MainWindow::hideInTray() {
    showTrayIcon();
    save();
    // While hidden, memory holds the password scrambled.
    book_.scramblePassword();
    ShowWindow(handle(), SW_HIDE);
}

INT_PTR MainWindow::onTimer(WPARAM id, LPARAM) {
    if (id != 1)
        return FALSE;
    // The dialog shows itself once it is made; a tick that comes sooner waits for that.
    if (!IsWindowVisible(handle()))
        return TRUE;
    KillTimer(handle(), 1);
    showTrayIcon();
    ShowWindow(handle(), SW_HIDE);
    book_.scramblePassword();
    return TRUE;
}

INT_PTR MainWindow::onTrayNotify(WPARAM id, LPARAM mouseMessage) {
    tray_.HandleNotification(id, mouseMessage);
    return TRUE;
}

void MainWindow::onShowFromTray() {
    book_.unscramblePassword();
    if (book_.locked()) {
        if (!PasswordPromptDialog(book_.password()).ask(handle())) {
            tray_.HideIcon();
            endQuietly();
            return;
        }
        book_.setLocked(false);
    }
    ShowWindow(handle(), profile_.getInt("Maximized", 0) == 1 ? SW_SHOWMAXIMIZED : SW_RESTORE);
    SetForegroundWindow(handle());
    tray_.HideIcon();
}

void MainWindow::onTrayExit() {
    // As Exit; the password is held scrambled and saved as always.
    onExit();
}

}  // namespace ctlite

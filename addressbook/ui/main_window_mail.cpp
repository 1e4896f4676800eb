// The Email command and the About box's way to write to the maker: the compose
// window, one at a time.
#include "addressbook/ui/main_window.h"
#include "addressbook/ui/resource.h"
#include "framework/application.h"

namespace ctlite {

void MainWindow::onEmail() {
    // Read anew each time: Settings may have given a server since the last try.
    if (fw::UserRegistryKey("SOFTWARE\\Contavo Lite").getString("SMTP").empty()) {
        fw::messageBox(handle(),
                       "Pleaes enter your SMTP address in Options->Settings before you can "
                       "send email.",
                       "SMTP address not found", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    openCompose(ComposeDialog::Mode::Normal);
}

void MainWindow::openCompose(ComposeDialog::Mode mode) {
    if (compose_ && compose_->handle()) {
        SetForegroundWindow(compose_->handle());  // the one already open
        return;
    }
    ComposeDialog::Opener opener;
    opener.main = handle();
    opener.book = &book_;
    opener.group = book_.currentGroupIndex();
    int index = selectedEntryIndex();
    if (index != kNoEntry)
        book_.currentGroup().entries().get(index + 1, opener.entry);
    opener.selectedLine = [this] {
        std::string line;
        if (sendItem(IDC_NAME_LIST, LB_GETCURSEL) != LB_ERR)
            selectedEntryIndex(&line);
        return line;
    };
    bool normal = mode == ComposeDialog::Mode::Normal;
    if (normal)
        opener.closed = [this] { enableItem(IDC_EMAIL, true); };
    compose_ = std::make_unique<ComposeDialog>(mode, std::move(opener));
    // Off before the window shows, so that it is never seen with Email still on.
    if (normal)
        enableItem(IDC_EMAIL, false);
    if (!compose_->open() && normal)
        enableItem(IDC_EMAIL, true);
}

}  // namespace ctlite

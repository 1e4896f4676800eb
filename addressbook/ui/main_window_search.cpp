// The Find button's Search dialog and how the main window shows what it finds.
#include "addressbook/ui/main_window.h"
#include "addressbook/ui/resource.h"

namespace ctlite {

void MainWindow::onFind() {
    if (search_ && search_->handle())
        return;
    search_ = std::make_unique<SearchDialog>(
        [this](FindNext& search, const FindRequest& request) {
            FindResult result = search.next(book_, book_.currentGroupIndex(), sortMode_, request);
            showFound(result);
            return result;
        },
        [this] { enableItem(IDC_FIND, true); });
    // Off before the dialog shows, so that it is never seen with Find still on.
    enableItem(IDC_FIND, false);
    if (!search_->open(handle()))
        enableItem(IDC_FIND, true);
}

void MainWindow::showFound(const FindResult& result) {
    if (!result.found)
        return;
    if (result.group != book_.currentGroupIndex())
        selectGroup(result.group);
    // A switch made to show the result is not the user's choice: "Sort" stays.
    if (result.sortMode != sortMode_) {
        sortMode_ = result.sortMode;
        checkSortItem();
    }
    fillNameList();
    updateCaptions();
    // The result's own line: with several entries of the same text, the one found.
    HWND list = item(IDC_NAME_LIST);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT line = 0; line < count; ++line) {
        if (SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(line), 0) == result.index) {
            SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
            onNameSelected();
            return;
        }
    }
}

}  // namespace ctlite

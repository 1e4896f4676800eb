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
    if (std::optional<std::size_t> line = names_.lineOfEntry(result.index)) {
        sendItem(IDC_NAME_LIST, LB_SETCURSEL, static_cast<WPARAM>(*line));
        onNameSelected();
    }
}

}  // namespace ctlite

#include "addressbook/ui/main_window.h"

#include <shellapi.h>

#include "addressbook/contracts/poster_arguments.h"
#include "addressbook/phone/dial_dialog.h"
#include "addressbook/ui/entry_editor.h"
#include "addressbook/ui/name_list_controls.h"
#include "addressbook/ui/resource.h"
#include "framework/application.h"

namespace ctlite {

void MainWindow::readRegistrySettings() {
    DWORD sort = registry_.getDword("Sort").value_or(static_cast<DWORD>(kDefaultSortMode));
    sortMode_ = sort <= 2 ? static_cast<SortMode>(sort) : kDefaultSortMode;
    checkSortItem();
    readDisplaySettings();
}

void MainWindow::checkSortItem() {
    HMENU menu = GetMenu(handle());
    auto check = [&](int id, SortMode mode) {
        CheckMenuItem(menu, id, sortMode_ == mode ? MF_CHECKED : MF_UNCHECKED);
    };
    check(ID_SORT_FIRST, SortMode::FirstName);
    check(ID_SORT_LAST, SortMode::LastName);
    check(ID_SORT_COMPANY, SortMode::Company);
}

void MainWindow::setSortMode(SortMode mode) {
    sortMode_ = mode;
    checkSortItem();
    fillNameList();
    updateCaptions();
    registry_.setDword("Sort", static_cast<DWORD>(mode));
}

void MainWindow::fillNameList() {
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    // The list box shows the lines in their own order.
    names_ = NameList(book_.currentGroup().entries(), sortMode_);
    showNameLines(item(IDC_NAME_LIST));
    SetCursor(previous);
    hideDisplay();  // no line is selected now: the card would show a stale entry
}

void MainWindow::updateCaptions() {
    setItemText(IDC_LIST_CAPTION, listCaption(book_.currentGroup().entries(), sortMode_));
}

int MainWindow::selectedEntryIndex(std::string* lineText) const {
    // The list shows names_'s lines as they are: its line is theirs.
    LRESULT line = sendItem(IDC_NAME_LIST, LB_GETCURSEL);
    if (line < 0 || static_cast<std::size_t>(line) >= names_.size())
        return kNoEntry;
    const NameLine& shown = names_.lines()[static_cast<std::size_t>(line)];
    if (lineText)
        *lineText = shown.text;
    return shown.index;
}

void MainWindow::onQuickSearch() {
    QuickSearch search = names_.quickSearch(itemText(IDC_QUICK_SEARCH));
    if (search.action == QuickSearch::Action::ClearSelection)
        sendItem(IDC_NAME_LIST, LB_SETCURSEL, static_cast<WPARAM>(-1));
    if (search.action != QuickSearch::Action::Select)
        return;
    // A selection set from here sends the list no notification: the card is shown
    // as for a click.
    sendItem(IDC_NAME_LIST, LB_SETCURSEL, static_cast<WPARAM>(search.line));
    onNameSelected();
}

void MainWindow::onQuickSearchFocus() {
    // All of the text, by mouse as by keyboard: posted, so that it comes after a
    // click has placed the caret.
    PostMessageA(item(IDC_QUICK_SEARCH), EM_SETSEL, 0, -1);
}

void MainWindow::onAdd() {
    Entry& entry = book_.workingEntry();
    entry.clear();
    if (!CAddPS(entry, book_.labels()).run(handle()))
        return;
    GroupList& list = book_.currentGroup().entries();
    // A real entry takes the place of the group's placeholder.
    if (list.count() == 1 && list.find(1)->isPlaceholder()) {
        entry.set(Field::GroupName, book_.groupName(book_.currentGroupIndex()));
        list.insert(1, entry);
        list.remove(2);
    } else {
        list.insert(1, entry);
    }
    fillNameList();
    updateCaptions();
}

void MainWindow::onEdit() {
    int index = selectedEntryIndex();
    GroupList& list = book_.currentGroup().entries();
    if (index == kNoEntry || !list.get(index + 1, book_.workingEntry())) {
        fw::messageBox(handle(), "You must select a name", "Opps...", MB_OK);
        return;
    }
    if (!CAddPS(book_.workingEntry(), book_.labels()).run(handle()))
        return;
    list.remove(index + 1);
    list.insert(index + 1, book_.workingEntry());
    fillNameList();
    updateCaptions();
}

void MainWindow::onDelete() {
    std::string lineText;
    int index = selectedEntryIndex(&lineText);
    if (sendItem(IDC_NAME_LIST, LB_GETCURSEL) == LB_ERR) {
        fw::messageBox(handle(), "You must select a name", "Opps...", MB_OK);
    } else if (index != kNoEntry &&
               fw::messageBox(handle(), "Do you really want to delete [" + lineText + "] ?",
                              "Confirmation", MB_YESNO | MB_ICONQUESTION) == IDYES) {
        book_.currentGroup().entries().remove(index + 1);
        fillNameList();
    }
    updateCaptions();
}

// ---- the dialer

void MainWindow::onCall() {
    int index = selectedEntryIndex();
    if (index == kNoEntry || !book_.currentGroup().entries().get(index + 1, book_.workingEntry())) {
        fw::messageBox(handle(), "You must select a name", "Opps...", MB_OK | MB_ICONINFORMATION);
        return;
    }
    const Entry& entry = book_.workingEntry();
    bool none = true;
    for (Field field : {Field::HomePhone, Field::WorkPhone, Field::MobilePhone, Field::PagerNumber})
        none = none && entry.get(field).empty();
    if (none) {
        fw::messageBox(handle(), "Phone number is not found", "Oops...",
                       MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    DialDialog(entry, book_.labels(), profile_).run(handle());
}

// ---- the poster program

void MainWindow::onPost() {
    int index = selectedEntryIndex();
    if (index == kNoEntry || !book_.currentGroup().entries().get(index + 1, book_.workingEntry())) {
        fw::messageBox(handle(), "You must select a name", "Opps...", MB_OK);
        return;
    }
    std::string arguments = posterArguments(
        book_.workingEntry(), book_.groupName(book_.currentGroupIndex()), book_.labels());
    // The shell's default verb on the bare file name.
    auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(
        handle(), nullptr, "ctlitepost.exe", arguments.c_str(), nullptr, SW_SHOWNORMAL));
    if (result == ERROR_FILE_NOT_FOUND)
        fw::messageBox(handle(),
                       "Contavo Lite Poster is not found.\nPlease make sure you installed it.",
                       "Contavo Lite Poster", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace ctlite

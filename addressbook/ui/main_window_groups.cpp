#include "addressbook/ui/main_window.h"

#include "addressbook/ui/group_editor.h"
#include "addressbook/ui/group_name_dialog.h"
#include "addressbook/ui/resource.h"
#include "framework/application.h"
#include "platform/file_system.h"

namespace ctlite {

void MainWindow::fillGroupSelector() {
    HWND selector = item(IDC_GROUP);
    SendMessageA(selector, CB_RESETCONTENT, 0, 0);
    for (int g = 0; g < book_.groupCount(); ++g)
        SendMessageA(selector, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(book_.groupName(g).c_str()));
}

void MainWindow::selectGroup(int index) {
    book_.setCurrentGroupIndex(index);
    EnableMenuItem(GetMenu(handle()), ID_GROUP_DELETE,
                   MF_BYCOMMAND | (index >= 2 ? MF_ENABLED : MF_GRAYED));
    sendItem(IDC_GROUP, CB_SETCURSEL, static_cast<WPARAM>(index));
    fillNameList();
    updateCaptions();
}

void MainWindow::onGroupChanged() {
    LRESULT index = sendItem(IDC_GROUP, CB_GETCURSEL);
    if (index != CB_ERR)
        selectGroup(static_cast<int>(index));
}

void MainWindow::onAddGroup() {
    if (!save())
        return;  // the save's own message was shown
    GroupNameDialog dialog;
    if (!dialog.run(handle()))
        return;
    DataFile file(platform::systemFileSystem(), book_.dataPath());
    if (Outcome failure = file.appendGroup(dialog.name())) {
        showFailure(*failure);
        return;
    }
    reloadGroups(book_.groupCount());  // the new group is the last one
}

void MainWindow::onDeleteGroup() {
    int index = book_.currentGroupIndex();
    if (index < 2)
        return;
    if (fw::messageBox(
            handle(),
            "Do you really want to delete this group? All the entries in this group will "
            "be lost.",
            "Confirmation", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    AddressBook without = book_;
    without.removeGroup(index);
    if (Outcome failure = DataFile(platform::systemFileSystem(), book_.dataPath()).save(without)) {
        showFailure(*failure);  // the group stays
        return;
    }
    reloadGroups(0);
}

void MainWindow::onRenameGroup() {
    int index = book_.currentGroupIndex();
    GroupNameDialog dialog(book_.groupName(index));
    if (!dialog.run(handle()))
        return;
    book_.group(index).setName(dialog.name());
    HWND selector = item(IDC_GROUP);
    SendMessageA(selector, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageA(selector, CB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(book_.groupName(index).c_str()));
    SendMessageA(selector, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void MainWindow::onSwapEntries() {
    GroupEditor(book_).run(handle());
    // Moves and copies are kept however the editor was closed.
    selectGroup(book_.currentGroupIndex());
}

void MainWindow::reloadGroups(int groupToSelect) {
    LoadResult loaded;
    {
        WaitCursor wait;
        loaded = DataFile(platform::systemFileSystem(), book_.dataPath()).load(book_);
    }
    if (loaded.failure) {
        showFailure(*loaded.failure);
        if (loaded.failure->endsProgram)
            endProgram();
        return;
    }
    fillGroupSelector();
    selectGroup(groupToSelect >= 0 && groupToSelect < book_.groupCount() ? groupToSelect : 0);
}

}  // namespace ctlite

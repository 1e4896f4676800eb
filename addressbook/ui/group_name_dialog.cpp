#include "addressbook/ui/group_name_dialog.h"

#include "addressbook/model/address_book.h"
#include "addressbook/ui/resource.h"

namespace ctlite {

const fw::CommandEntry<GroupNameDialog> GroupNameDialog::kCommands[] = {
    {IDOK, BN_CLICKED, &GroupNameDialog::onOk},
    {IDCANCEL, BN_CLICKED, &GroupNameDialog::onCancel},
    {0, 0, nullptr},
};

bool GroupNameDialog::run(HWND owner) {
    return runModal(IDD_GROUP_NAME, owner) == IDOK;
}

BOOL GroupNameDialog::onInit() {
    // The data file gives back no longer name: the edit takes no more.
    sendItem(IDC_GROUP_NAME, EM_LIMITTEXT, kMaxNameLength);
    setItemText(IDC_GROUP_NAME, name_);
    return TRUE;
}

void GroupNameDialog::onOk() {
    name_ = itemText(IDC_GROUP_NAME);
    end(IDOK);
}

}  // namespace ctlite

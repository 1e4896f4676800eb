#include "addressbook/ui/group_name_dialog.h"

#include "addressbook/model/address_book.h"
#include "addressbook/ui/resource.h"

namespace ctlite {

const fw::CommandEntry<GroupNameDialog> GroupNameDialog::kCommands[] = {
    {IDOK, BN_CLICKED, &GroupNameDialog::onOk},
    {IDCANCEL, BN_CLICKED, &GroupNameDialog::onCancel},
    {0, 0, nullptr},
};

// The data file gives back no longer name: the edit takes no more.
const fw::DataEntry<GroupNameDialog> GroupNameDialog::kData[] = {
    {IDC_GROUP_NAME, fw::DataKind::Text, &GroupNameDialog::name_, kMaxNameLength},
    {0, fw::DataKind::End},
};

bool GroupNameDialog::run(HWND owner) {
    return runModal(IDD_GROUP_NAME, owner) == IDOK;
}

void GroupNameDialog::onOk() {
    saveData();
    end(IDOK);
}

}  // namespace ctlite

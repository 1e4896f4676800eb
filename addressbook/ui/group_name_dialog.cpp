#include "addressbook/ui/group_name_dialog.h"

#include "addressbook/ui/resource.h"
#include "framework/application.h"

namespace ctlite {

const fw::CommandEntry<GroupNameDialog> GroupNameDialog::kCommands[] = {
    {IDOK, BN_CLICKED, &GroupNameDialog::onOk},
    {IDCANCEL, BN_CLICKED, &GroupNameDialog::onCancel},
    {0, 0, nullptr},
};
const fw::MessageEntry<GroupNameDialog> GroupNameDialog::kMessages[] = {{0, nullptr}};

bool GroupNameDialog::run(HWND owner) {
    return runModal(fw::Application::current().instance(), IDD_GROUP_NAME, owner) == IDOK;
}

BOOL GroupNameDialog::onInit() {
    SetDlgItemTextA(handle(), IDC_GROUP_NAME, name_.c_str());
    return TRUE;
}

void GroupNameDialog::onOk() {
    char text[512] = "";
    GetDlgItemTextA(handle(), IDC_GROUP_NAME, text, sizeof text);
    name_ = text;
    end(IDOK);
}

}  // namespace ctlite

#include "addressbook/ui/search_dialog.h"

#include <string>

#include "addressbook/ui/resource.h"

namespace ctlite {

const fw::CommandEntry<SearchDialog> SearchDialog::kCommands[] = {
    {IDC_SEARCH_TEXT, EN_CHANGE, &SearchDialog::onTextChanged},
    {IDC_SEARCH_FIND, BN_CLICKED, &SearchDialog::onFindNext},
    {IDCANCEL, BN_CLICKED, &SearchDialog::onCancel},
    {0, 0, nullptr},
};

bool SearchDialog::open(HWND owner) {
    return createModeless(IDD_SEARCH, owner) != nullptr;
}

BOOL SearchDialog::onInit() {
    RECT r{};
    GetWindowRect(handle(), &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    SetWindowPos(handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    setChecked(IDC_SEARCH_NAMES, true);
    setChecked(IDC_SEARCH_ALL_GROUPS, true);
    search_.restart();
    return TRUE;
}

void SearchDialog::onTextChanged() {
    enableItem(IDC_SEARCH_FIND);
    search_.restart();
}

void SearchDialog::onFindNext() {
    std::string text = itemText(IDC_SEARCH_TEXT);
    FindRequest request;
    request.text = text;
    request.mode = isChecked(IDC_SEARCH_COMPANY)      ? SearchMode::Company
                   : isChecked(IDC_SEARCH_ALL_FIELDS) ? SearchMode::AllFields
                                                      : SearchMode::Names;
    request.allGroups = isChecked(IDC_SEARCH_ALL_GROUPS);
    FindResult result = find_(search_, request);
    setItemText(IDC_SEARCH_RESULT, result.resultText);
}

void SearchDialog::onCancel() {
    end(IDCANCEL);
    closed_();
}

}  // namespace ctlite

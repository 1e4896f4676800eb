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

const fw::DataEntry<SearchDialog> SearchDialog::kData[] = {
    {IDC_SEARCH_NAMES, fw::DataKind::Radio, &SearchDialog::mode_},
    {IDC_SEARCH_ALL_GROUPS, fw::DataKind::Check, &SearchDialog::allGroups_},
    {0, fw::DataKind::End},
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
    search_.restart();
    return TRUE;
}

void SearchDialog::onTextChanged() {
    enableItem(IDC_SEARCH_FIND);
    search_.restart();
}

void SearchDialog::onFindNext() {
    saveData();
    FindRequest request;
    request.text = itemText(IDC_SEARCH_TEXT);
    request.mode = mode_ == 1   ? SearchMode::Company
                   : mode_ == 2 ? SearchMode::AllFields
                                : SearchMode::Names;
    request.allGroups = allGroups_;
    FindResult result = find_(search_, request);
    setItemText(IDC_SEARCH_RESULT, result.resultText);
}

void SearchDialog::onCancel() {
    end(IDCANCEL);
    closed_();
}

}  // namespace ctlite

#include "addressbook/ui/search_dialog.h"

#include <string>

#include "addressbook/ui/resource.h"

namespace ctlite {
namespace {

// The main window runs in a modal dialog loop, which gives keys only to itself: this
// hook hands the Search dialog its Tab, Enter and Escape as its own loop would.
HWND gSearchWindow = nullptr;
HHOOK gKeyHook = nullptr;

LRESULT CALLBACK dialogKeys(int code, WPARAM removal, LPARAM lParam) {
    MSG* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE && gSearchWindow &&
        message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST &&
        (message->hwnd == gSearchWindow || IsChild(gSearchWindow, message->hwnd)) &&
        IsDialogMessageA(gSearchWindow, message))
        message->message = WM_NULL;  // handled: the loop that fetched it does nothing more
    return CallNextHookEx(gKeyHook, code, removal, lParam);
}

}  // namespace

const fw::CommandEntry<SearchDialog> SearchDialog::kCommands[] = {
    {IDC_SEARCH_TEXT, EN_CHANGE, &SearchDialog::onTextChanged},
    {IDC_SEARCH_FIND, BN_CLICKED, &SearchDialog::onFindNext},
    {IDCANCEL, BN_CLICKED, &SearchDialog::onCancel},
    {0, 0, nullptr},
};

SearchDialog::~SearchDialog() {
    stopKeyHook();
}

bool SearchDialog::open(HWND owner) {
    if (!createModeless(IDD_SEARCH, owner))
        return false;
    gSearchWindow = handle();
    if (!gKeyHook)
        gKeyHook = SetWindowsHookExA(WH_GETMESSAGE, &dialogKeys, nullptr, GetCurrentThreadId());
    return true;
}

void SearchDialog::stopKeyHook() {
    if (gKeyHook)
        UnhookWindowsHookEx(gKeyHook);
    gKeyHook = nullptr;
    gSearchWindow = nullptr;
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
    // Not end(): that would end the message loop the main window runs in.
    stopKeyHook();
    DestroyWindow(handle());
    closed_();
}

}  // namespace ctlite

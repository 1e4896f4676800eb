#include "installer/uninstall/uninstall_windows.h"

#include "framework/message_loop.h"
#include "installer/uninstall/resource.h"

namespace vortix {

// ---- progress window

const fw::CommandEntry<ProgressWindow> ProgressWindow::kCommands[] = {
    {IDC_DETAILS_BUTTON, BN_CLICKED, &ProgressWindow::onDetails},
    {IDC_CLOSE, BN_CLICKED, &ProgressWindow::onClose},
    {IDCANCEL, BN_CLICKED, &ProgressWindow::onClose},
    {0, 0, nullptr},
};
const fw::MessageEntry<ProgressWindow> ProgressWindow::kMessages[] = {
    {WM_SYSCOMMAND, &ProgressWindow::onSysCommand},
    {0, nullptr},
};

ProgressWindow::~ProgressWindow() {
    if (boldFont_)
        DeleteObject(boldFont_);
}

bool ProgressWindow::open(const std::string& removingText) {
    if (!createModeless(IDD_PROGRESS, nullptr))
        return false;
    setItemText(IDC_REMOVING, removingText);
    fw::pumpWaitingMessages();
    return true;
}

BOOL ProgressWindow::onInit() {
    HICON icon = LoadIconA(fw::resourceInstance(), MAKEINTRESOURCEA(IDI_PROGRAM));
    SendMessageA(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    // The result line in a bold copy of the dialog's font.
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(handle(), WM_GETFONT, 0, 0));
    LOGFONTA description{};
    if (font && GetObjectA(font, sizeof description, &description)) {
        description.lfWeight = FW_BOLD;
        boldFont_ = CreateFontIndirectA(&description);
        sendItem(IDC_RESULT, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_), TRUE);
    }
    return TRUE;
}

void ProgressWindow::showPhase(Phase phase) {
    static const int kMarkers[] = {IDC_MARKER_SHARED, IDC_MARKER_BACKUPS, IDC_MARKER_FILES,
                                   IDC_MARKER_DIRECTORIES, IDC_MARKER_REGISTRY};
    ShowWindow(item(kMarkers[static_cast<int>(phase)]), SW_SHOW);
    fw::pumpWaitingMessages();
}

void ProgressWindow::finish(const std::string& resultText, const std::string& details) {
    details_ = details;
    setItemText(IDC_RESULT, resultText);
    if (!details.empty()) {
        ShowWindow(item(IDC_DETAILS_BUTTON), SW_SHOW);
        enableItem(IDC_DETAILS_BUTTON);
    }
    enableItem(IDC_CLOSE);
    SendMessageA(handle(), DM_SETDEFID, IDC_CLOSE, 0);
    SetFocus(item(IDC_CLOSE));
    fw::runMessageLoop(handle());
}

void ProgressWindow::onDetails() {
    DetailsDialog dialog(details_);
    dialog.runModal(IDD_DETAILS, handle());
}

void ProgressWindow::onClose() {
    // Only once the run is over: until then "Close" is disabled.
    if (IsWindowEnabled(item(IDC_CLOSE)))
        end(1);
}

INT_PTR ProgressWindow::onSysCommand(WPARAM wParam, LPARAM) {
    if ((wParam & 0xFFF0) != SC_CLOSE)
        return FALSE;
    onClose();
    return TRUE;
}

// ---- Details

const fw::CommandEntry<DetailsDialog> DetailsDialog::kCommands[] = {
    {IDOK, BN_CLICKED, &DetailsDialog::onClose},
    {IDCANCEL, BN_CLICKED, &DetailsDialog::onClose},
    {0, 0, nullptr},
};

BOOL DetailsDialog::onInit() {
    setItemText(IDC_DETAILS_TEXT, text_);
    return TRUE;
}

// ---- shared-file question

const fw::CommandEntry<SharedFileDialog> SharedFileDialog::kCommands[] = {
    {IDC_SHARED_YES, BN_CLICKED, &SharedFileDialog::onYes},
    {IDC_SHARED_YES_TO_ALL, BN_CLICKED, &SharedFileDialog::onYesToAll},
    {IDC_SHARED_NO, BN_CLICKED, &SharedFileDialog::onNo},
    {IDC_SHARED_NO_TO_ALL, BN_CLICKED, &SharedFileDialog::onNoToAll},
    {0, 0, nullptr},
};

BOOL SharedFileDialog::onInit() {
    setItemText(IDC_SHARED_TEXT, text_);
    return TRUE;
}

void SharedFileDialog::answerWith(SharedFileAnswer answer) {
    answer_ = answer;
    end(IDOK);
}

}  // namespace vortix

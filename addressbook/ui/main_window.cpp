#include "addressbook/ui/main_window.h"

#include "addressbook/contracts/settings_places.h"
#include "addressbook/ui/about_box.h"
#include "addressbook/ui/resource.h"
#include "framework/application.h"
#include "platform/file_system.h"

namespace ctlite {
namespace {

constexpr UINT kAboutSystemCommand = 16;
// What Enter sends: the dialog's default command, which no button carries, so that
// Enter never presses Exit.
constexpr int kEnterKey = 0x6FFF;

// The maker's pages.
constexpr char kManualAddress[] = "http://www.example.com/contavo-lite/manual.htm";
constexpr char kProductAddress[] = "http://www.example.com/contavo/";

}  // namespace

const fw::CommandEntry<MainWindow> MainWindow::kCommands[] = {
    {IDC_GROUP, CBN_SELCHANGE, &MainWindow::onGroupChanged},
    {IDC_QUICK_SEARCH, EN_CHANGE, &MainWindow::onQuickSearch},
    {IDC_QUICK_SEARCH, EN_SETFOCUS, &MainWindow::onQuickSearchFocus},
    {kEnterKey, BN_CLICKED, &MainWindow::onEnterKey},
    {IDC_ADD, BN_CLICKED, &MainWindow::onAdd},
    {ID_ENTRY_ADD, 0, &MainWindow::onAdd},
    {ID_ENTRY_EDIT, 0, &MainWindow::onEdit},
    {IDC_NAME_LIST, LBN_DBLCLK, &MainWindow::onEdit},
    {IDC_NAME_LIST, LBN_SELCHANGE, &MainWindow::onNameSelected},
    {IDC_BACK, BN_CLICKED, &MainWindow::onNameSelected},
    {IDC_NEXT, BN_CLICKED, &MainWindow::onNameSelected},
    {ID_OPTIONS_LABELS, 0, &MainWindow::onFieldLabels},
    {ID_OPTIONS_SETTINGS, 0, &MainWindow::onSettings},
    {IDC_DELETE, BN_CLICKED, &MainWindow::onDelete},
    {ID_ENTRY_DELETE, 0, &MainWindow::onDelete},
    {ID_FILE_SAVE, 0, &MainWindow::onSave},
    {ID_FILE_NEW, 0, &MainWindow::onFileNew},
    {ID_FILE_OPEN, 0, &MainWindow::onFileOpen},
    {ID_FILE_SAVE_AS, 0, &MainWindow::onFileSaveAs},
    {ID_FILE_BACKUP, 0, &MainWindow::onBackup},
    {ID_FILE_IMPORT, 0, &MainWindow::onImport},
    {ID_FILE_EXPORT, 0, &MainWindow::onExport},
    {ID_ENTRY_EXPORT_VCARD, 0, &MainWindow::onExportEntry},
    {ID_GROUP_ADD, 0, &MainWindow::onAddGroup},
    {ID_GROUP_DELETE, 0, &MainWindow::onDeleteGroup},
    {ID_GROUP_RENAME, 0, &MainWindow::onRenameGroup},
    {ID_GROUP_SWAP, 0, &MainWindow::onSwapEntries},
    {IDC_FIND, BN_CLICKED, &MainWindow::onFind},
    {IDC_EMAIL, BN_CLICKED, &MainWindow::onEmail},
    {IDC_PRINT, BN_CLICKED, &MainWindow::onPrintButton},
    {ID_FILE_PRINT_SELECTED, 0, &MainWindow::onPrintSelected},
    {ID_PRINT_ALL_FIRST, 0, &MainWindow::onPrintAllFirst},
    {ID_PRINT_ALL_LAST, 0, &MainWindow::onPrintAllLast},
    {ID_PRINT_ALL_COMPANY, 0, &MainWindow::onPrintAllCompany},
    {ID_OPTIONS_PASSWORD, 0, &MainWindow::onPasswordSetup},
    {ID_ENTRY_POST, 0, &MainWindow::onPost},
    {IDC_CALL, BN_CLICKED, &MainWindow::onCall},
    {ID_HELP_MANUAL, 0, &MainWindow::onManual},
    {ID_HELP_ABOUT, 0, &MainWindow::onAbout},
    {ID_TRY_DOWNLOAD, 0, &MainWindow::onDownload},
    {ID_SORT_FIRST, 0, &MainWindow::onSortFirst},
    {ID_SORT_LAST, 0, &MainWindow::onSortLast},
    {ID_SORT_COMPANY, 0, &MainWindow::onSortCompany},
    {ID_TRAY_SHOW, 0, &MainWindow::onShowFromTray},
    {ID_TRAY_EXIT, 0, &MainWindow::onTrayExit},
    {ID_TRAY_SETTINGS, 0, &MainWindow::onTraySettings},
    {IDOK, BN_CLICKED, &MainWindow::onExit},
    {ID_FILE_EXIT, 0, &MainWindow::onExit},
    {IDCANCEL, BN_CLICKED, &MainWindow::onEscape},
    {0, 0, nullptr},
};

const fw::MessageEntry<MainWindow> MainWindow::kMessages[] = {
    {WM_COMMAND, &MainWindow::ignoreOtherCommands},
    {WM_CLOSE, &MainWindow::onClose},
    {WM_DESTROY, &MainWindow::onDestroy},
    {WM_QUERYENDSESSION, &MainWindow::onQueryEndSession},
    {WM_TRAY_NOTIFY, &MainWindow::onTrayNotify},
    {WM_PAINT, &MainWindow::onPaint},
    {WM_CTLCOLORDLG, &MainWindow::onDialogColour},
    {WM_CTLCOLORSTATIC, &MainWindow::onStaticColour},
    {WM_RBUTTONUP, &MainWindow::onRightButtonUp},
    {WM_DRAWITEM, &MainWindow::onDrawItem},
    {WM_SYSCOMMAND, &MainWindow::onSysCommand},
    {WM_ENDSESSION, &MainWindow::onEndSession},
    {0, nullptr},
};

const fw::SizeEntry<MainWindow> MainWindow::kSize = {&MainWindow::onSize};

// Set at start-up when the window goes to the tray at once.
const fw::TimerEntry<MainWindow> MainWindow::kTimers[] = {
    {1, &MainWindow::onStartInTrayTimer},
    {0, nullptr},
};

MainWindow::MainWindow()
    : profile_(kProfileFile, kProduct), registry_(kSettingsKeyPath), instance_(ID_TRAY_SHOW) {}

MainWindow::~MainWindow() {
    if (icon_)
        DestroyIcon(icon_);
    for (HBITMAP bitmap : {groupIcon_, entryIcon_})
        if (bitmap)
            DeleteObject(bitmap);
}

INT_PTR MainWindow::run() {
    INT_PTR result = runAsMainWindow(IDD_MAIN);
    return fatal_ ? -1 : result;
}

BOOL MainWindow::onInit() {
    HMENU system = GetSystemMenu(handle(), FALSE);
    AppendMenuA(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(system, MF_STRING, kAboutSystemCommand, "&About Contavo Lite...");
    icon_ = LoadIconA(fw::resourceInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    SendMessageA(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    if (!createDisplay())
        return TRUE;
    placeWindow();
    // The controls take their tables before the tips subclass them, so that a tip
    // taken away gives back the control's table rather than its bare procedure.
    setUpCustomControls();
    setUpButtons();
    SendMessageA(handle(), DM_SETDEFID, kEnterKey, 0);
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");

    // The whole folder, however long.
    std::string directory(GetCurrentDirectoryA(0, nullptr), '\0');
    DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(directory.size()), directory.data());
    directory.resize(n < directory.size() ? n : 0);
    book_.setDataPath(directory + "\\data.dat");
    DataFile file(platform::systemFileSystem(), book_.dataPath());
    bool justCreated = false;
    if (!file.exists()) {
        if (file.createNew()) {
            showFailure(failures::kCannotOpen);  // the book cannot be had
            endProgram();
            return TRUE;
        }
        justCreated = true;
    }
    int saved = profile_.getInt("SelectedGroup", 0);
    if (openBook(justCreated, saved, /*atStartUp=*/true))
        placeDisplay();
    return TRUE;
}

void MainWindow::placeWindow() {
    if (profile_.getInt("Maximized", 0) == 1) {
        ShowWindow(handle(), SW_SHOWMAXIMIZED);
        return;
    }
    std::optional<int> x = profile_.find("x"), y = profile_.find("y");
    int width = profile_.getInt("width", 460), height = profile_.getInt("height", 420);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    // Only a place some monitor shows (one may have been removed since).
    RECT saved{x.value_or(0), y.value_or(0), x.value_or(0) + width, y.value_or(0) + height};
    if (x && y && MonitorFromRect(&saved, MONITOR_DEFAULTTONULL)) {
        MoveWindow(handle(), *x, *y, width, height, TRUE);
        return;
    }
    MoveWindow(handle(), (screenWidth - 464) / 2, (screenHeight - 423) / 2, 464, 423, TRUE);
}

// ---- exit

void MainWindow::onExit() {
    if (saveForExit())
        finishExit();  // else the window stays open
}

bool MainWindow::saveForExit() {
    Outcome failure = writeBook();
    if (!failure)
        return true;
    // A failed exit from the tray leaves the user a way back: the window, in view.
    if (!IsWindowVisible(handle()) || IsIconic(handle())) {
        onShowFromTray();
        if (closedEarly_)
            return false;  // the password was refused
    }
    showFailure(*failure);
    return false;
}

void MainWindow::finishExit() {
    tray_.HideIcon();
    storeDisplayPlacement();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(handle(), &placement);
    // In screen coordinates, as the next start places the window. The restored
    // position is in workspace coordinates, which start at the work area.
    RECT r = placement.rcNormalPosition;
    if (IsWindowVisible(handle()) && !IsIconic(handle()) && !IsZoomed(handle())) {
        GetWindowRect(handle(), &r);
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTOPRIMARY), &monitor))
            OffsetRect(&r, monitor.rcWork.left - monitor.rcMonitor.left,
                       monitor.rcWork.top - monitor.rcMonitor.top);
    }
    profile_.setInt("x", r.left);
    profile_.setInt("y", r.top);
    profile_.setInt("width", r.right - r.left);
    profile_.setInt("height", r.bottom - r.top);
    // Read here, while the window is still shown: ending the dialog hides it first.
    // From the tray: as the window was before it went there; minimised: as it comes back.
    bool maximized = !IsWindowVisible(handle()) ? maximizedBeforeTray_
                     : IsIconic(handle())       ? (placement.flags & WPF_RESTORETOMAXIMIZED) != 0
                                                : IsZoomed(handle()) != FALSE;
    profile_.setInt("Maximized", maximized ? 1 : 0);
    end(IDOK);
}

INT_PTR MainWindow::onClose(WPARAM, LPARAM) {
    onExit();
    return TRUE;
}

INT_PTR MainWindow::onQueryEndSession(WPARAM, LPARAM) {
    // Saved at the question, so that a failure can still stop the session.
    BOOL agree = TRUE;
    if (Outcome failure = writeBook())
        agree = fw::messageBox(handle(),
                               std::string(failure->message) +
                                   "\n\nEnd the Windows session without saving the address book?",
                               std::string(failure->title).c_str(),
                               MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
    sessionEndAgreed_ = agree;
    SetWindowLongPtrA(handle(), DWLP_MSGRESULT, agree);
    return TRUE;
}

INT_PTR MainWindow::onEndSession(WPARAM ending, LPARAM) {
    if (ending && (sessionEndAgreed_ || saveForExit()))
        finishExit();
    sessionEndAgreed_ = false;
    return FALSE;
}

INT_PTR MainWindow::onDestroy(WPARAM, LPARAM) {
    if (!fatal_ && !closedEarly_) {
        profile_.setInt("SelectedGroup", book_.currentGroupIndex());
    }
    return FALSE;
}

void MainWindow::showFailure(const Failure& failure) {
    fw::messageBox(handle(), std::string(failure.message), std::string(failure.title).c_str(),
                   MB_OK | MB_ICONERROR);
}

void MainWindow::endProgram() {
    fatal_ = true;
    end(-1);
}

void MainWindow::endQuietly() {
    closedEarly_ = true;
    end(IDCANCEL);
}

bool MainWindow::dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (taskbarCreated_ && message == taskbarCreated_) {
        result = onTaskbarCreated();
        return true;
    }
    return fw::DialogImpl<MainWindow>::dispatch(message, wParam, lParam, result);
}

void MainWindow::onEnterKey() {
    // In the name list Enter edits the selected entry, as a double-click does.
    if (GetFocus() == item(IDC_NAME_LIST))
        onEdit();
}

INT_PTR MainWindow::ignoreOtherCommands(WPARAM command, LPARAM) {
    // The thirteen copy commands share one handler; other commands do nothing.
    runCopyCommand(LOWORD(command));
    return TRUE;
}

// ---- help

void MainWindow::onAbout() {
    if (AboutBox().run(handle()))
        openCompose(ComposeDialog::Mode::Feedback);
}

INT_PTR MainWindow::onSysCommand(WPARAM command, LPARAM) {
    if ((command & 0xFFF0) != kAboutSystemCommand)
        return FALSE;  // the default handling
    onAbout();
    return TRUE;
}

void MainWindow::onManual() {
    openWebAddress(handle(), kManualAddress);
}

void MainWindow::onDownload() {
    openWebAddress(handle(), kProductAddress);
}

}  // namespace ctlite

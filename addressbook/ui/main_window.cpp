#include "addressbook/ui/main_window.h"

#include "addressbook/ui/list_drawing.h"

#include <commctrl.h>
#include <shellapi.h>

#include "addressbook/ui/about_box.h"
#include "addressbook/ui/entry_editor.h"
#include "addressbook/ui/group_name_dialog.h"
#include "addressbook/ui/password_dialogs.h"
#include "addressbook/ui/poster_arguments.h"
#include "addressbook/ui/resource.h"
#include "framework/application.h"
#include "framework/file_dialog.h"
#include "platform/file_system.h"

namespace ctlite {
namespace {

constexpr char kProduct[] = "Contavo Lite";
constexpr UINT kAboutSystemCommand = 16;

// Commands whose windows come with later versions: shown, but not yet usable.
constexpr int kNotYetAvailable[] = {
    IDC_CALL,
    IDC_EMAIL,
    IDC_PRINT,
    IDC_FIND,
    ID_FILE_IMPORT,
    ID_FILE_EXPORT,
    ID_FILE_PRINT_SELECTED,
    ID_PRINT_ALL_FIRST,
    ID_PRINT_ALL_LAST,
    ID_PRINT_ALL_COMPANY,
    ID_COPY_FULL_NAME,
    ID_COPY_COMPANY,
    ID_COPY_EMAIL,
    ID_COPY_WORK_PHONE,
    ID_COPY_HOME_PHONE,
    ID_COPY_MOBILE,
    ID_COPY_PAGER,
    ID_COPY_FAX,
    ID_COPY_STREET,
    ID_COPY_HOMEPAGE,
    ID_COPY_NOTE,
    ID_COPY_ALL,
    ID_COPY_LETTER,
    ID_GROUP_SWAP,
    ID_OPTIONS_SETTINGS,
    ID_OPTIONS_LABELS,
};

std::string windowText(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

}  // namespace

const fw::CommandEntry<MainWindow> MainWindow::kCommands[] = {
    {IDC_GROUP, CBN_SELCHANGE, &MainWindow::onGroupChanged},
    {IDC_QUICK_SEARCH, EN_CHANGE, &MainWindow::onQuickSearch},
    {IDC_ADD, BN_CLICKED, &MainWindow::onAdd},
    {ID_ENTRY_ADD, 0, &MainWindow::onAdd},
    {ID_ENTRY_EDIT, 0, &MainWindow::onEdit},
    {IDC_NAME_LIST, LBN_DBLCLK, &MainWindow::onEdit},
    {IDC_DELETE, BN_CLICKED, &MainWindow::onDelete},
    {ID_ENTRY_DELETE, 0, &MainWindow::onDelete},
    {ID_FILE_SAVE, 0, &MainWindow::onSave},
    {ID_FILE_NEW, 0, &MainWindow::onFileNew},
    {ID_FILE_OPEN, 0, &MainWindow::onFileOpen},
    {ID_FILE_SAVE_AS, 0, &MainWindow::onFileSaveAs},
    {ID_FILE_BACKUP, 0, &MainWindow::onBackup},
    {ID_GROUP_ADD, 0, &MainWindow::onAddGroup},
    {ID_GROUP_DELETE, 0, &MainWindow::onDeleteGroup},
    {ID_GROUP_RENAME, 0, &MainWindow::onRenameGroup},
    {ID_OPTIONS_PASSWORD, 0, &MainWindow::onPasswordSetup},
    {ID_ENTRY_POST, 0, &MainWindow::onPost},
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
    {WM_SIZE, &MainWindow::onSize},
    {WM_DESTROY, &MainWindow::onDestroy},
    {WM_QUERYENDSESSION, &MainWindow::onQueryEndSession},
    {WM_TRAY_NOTIFY, &MainWindow::onTrayNotify},
    {WM_PAINT, &MainWindow::onPaint},
    {WM_CTLCOLORDLG, &MainWindow::onDialogColour},
    {WM_CTLCOLORSTATIC, &MainWindow::onStaticColour},
    {WM_RBUTTONUP, &MainWindow::onRightButtonUp},
    {WM_DRAWITEM, &MainWindow::onDrawItem},
    {WM_SYSCOMMAND, &MainWindow::onSysCommand},
    {WM_TIMER, &MainWindow::onTimer},
    {WM_ENDSESSION, &MainWindow::onEndSession},
    {0, nullptr},
};

MainWindow::MainWindow() : profile_("ctlite.INI", kProduct), registry_("SOFTWARE\\Contavo Lite") {}

MainWindow::~MainWindow() {
    if (icon_)
        DestroyIcon(icon_);
    for (HBITMAP bitmap : {groupIcon_, entryIcon_})
        if (bitmap)
            DeleteObject(bitmap);
}

INT_PTR MainWindow::run() {
    INT_PTR result = runModal(fw::Application::current().instance(), IDD_MAIN, nullptr);
    return fatal_ ? -1 : result;
}

BOOL MainWindow::onInit() {
    HMENU system = GetSystemMenu(handle(), FALSE);
    AppendMenuA(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(system, MF_STRING, kAboutSystemCommand, "&About Contavo Lite...");
    icon_ = LoadIconA(fw::Application::current().instance(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    SendMessageA(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    placeWindow();
    setUpButtons();

    char directory[MAX_PATH] = "";
    DWORD n = GetCurrentDirectoryA(sizeof directory, directory);
    book_.setDataPath(std::string(directory, n < 100 ? n : 100) + "\\data.dat");
    DataFile file(platform::systemFileSystem(), book_.dataPath());
    bool justCreated = false;
    if (!file.exists()) {
        if (Outcome failure = file.createNew()) {
            showFailure(*failure);
            endProgram();
            return TRUE;
        }
        justCreated = true;
    }
    int saved = profile_.getInt("SelectedGroup", 0);
    openBook(justCreated, saved, /*atStartUp=*/true);
    return TRUE;
}

bool MainWindow::openBook(bool justCreated, int groupToSelect, bool atStartUp) {
    DataFile file(platform::systemFileSystem(), book_.dataPath());
    TrailerResult trailer = file.readTrailer(book_);
    if (trailer.unreadable) {
        // Saving later would write default values over the password and names.
        showFailure(failures::kCannotOpen);
        endProgram();
        return false;
    }
    readRegistrySettings();
    bool startInTray = atStartUp && registry_.getDword("Minimize").value_or(0) != 0;
    if (startInTray)
        SetTimer(handle(), 1, 1, nullptr);  // the prompt waits for the first showing
    if (book_.locked() && !startInTray) {
        // Asked before the book is shown; refusing ends the program with nothing written.
        if (!PasswordPromptDialog(book_.password()).ask(handle())) {
            if (atStartUp)
                endQuietly();
            else
                endProgram();
            return false;
        }
        book_.setLocked(false);
    }
    LoadResult loaded = file.load(book_, justCreated);
    if (loaded.failure) {
        showFailure(*loaded.failure);
        endProgram();
        return false;
    }
    if (!loaded.problems.empty())
        keepDamagedCopy(loaded.problems);
    fillGroupSelector();
    selectGroup(groupToSelect >= 0 && groupToSelect < book_.groupCount() ? groupToSelect : 0);
    SetWindowTextA(handle(), (std::string(kProduct) + " - " + book_.dataPath()).c_str());
    if (atStartUp)
        instance_.PublishMainWindow(handle());
    return true;
}

void MainWindow::placeWindow() {
    if (profile_.getInt("Maximized", 0) == 1) {
        ShowWindow(handle(), SW_SHOWMAXIMIZED);
        return;
    }
    std::optional<int> x = profile_.find("x"), y = profile_.find("y");
    int width = profile_.getInt("width", 460), height = profile_.getInt("height", 420);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (x && y && (*y < screenHeight || *x < screenWidth)) {
        MoveWindow(handle(), *x, *y, width, height, TRUE);
        return;
    }
    MoveWindow(handle(), (screenWidth - 464) / 2, (screenHeight - 423) / 2, 464, 423, TRUE);
}

void MainWindow::keepDamagedCopy(const ProblemList& problems) {
    // The file could not be read as it stands: keep it as it was before anything
    // is saved over it.
    DataFile file(platform::systemFileSystem(), book_.dataPath());
    std::string copy;
    for (int n = 0; n < 1000; ++n) {
        copy = book_.dataPath() + (n ? ".damaged" + std::to_string(n) : ".damaged");
        if (!DataFile(platform::systemFileSystem(), copy).exists())
            break;
    }
    bool kept = file.backupTo(copy);
    std::string text =
        "Parts of the address book file could not be read (" + std::to_string(problems.total()) +
        " problem" + (problems.total() == 1 ? "" : "s") + ", the first at byte " +
        std::to_string(problems.kept().front().offset) + "). What could be read is shown.";
    text += kept ? "\nThe file as it was has been kept as " + copy + "."
                 : "\nA copy of the file as it was could not be made.";
    fw::messageBox(handle(), text, "Error", MB_OK | MB_ICONWARNING);
}

void MainWindow::readRegistrySettings() {
    DWORD sort = registry_.getDword("Sort").value_or(static_cast<DWORD>(kDefaultSortMode));
    sortMode_ = sort <= 2 ? static_cast<SortMode>(sort) : kDefaultSortMode;
    checkSortItem();
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

void MainWindow::setUpButtons() {
    HINSTANCE instance = fw::Application::current().instance();
    // The owner-drawn lists: their icons and fixed line heights.
    groupIcon_ = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDB_GROUP), IMAGE_BITMAP, 0, 0, 0));
    entryIcon_ = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDB_ENTRY), IMAGE_BITMAP, 0, 0, 0));
    SendDlgItemMessageA(handle(), IDC_NAME_LIST, LB_SETITEMHEIGHT, 0, kNameLineHeight);
    SendDlgItemMessageA(handle(), IDC_GROUP, CB_SETITEMHEIGHT, 0, kGroupLineHeight);
    struct Face {
        int control, bitmap, tip;
    };
    static const Face kFaces[] = {
        {IDC_ADD, IDB_ADD, IDS_TIP_ADD},       {IDC_CALL, IDB_CALL, IDS_TIP_CALL},
        {IDC_EMAIL, IDB_EMAIL, IDS_TIP_EMAIL}, {IDC_DELETE, IDB_DELETE, IDS_TIP_DELETE},
        {IDC_PRINT, IDB_PRINT, IDS_TIP_PRINT}, {IDC_FIND, IDB_FIND, IDS_TIP_FIND},
        {IDOK, IDB_EXIT, IDS_TIP_EXIT},
    };
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle(),
                               nullptr, instance, nullptr);
    // White tips with the button-text colour, as the button row's own colours.
    SendMessageA(tooltip_, TTM_SETTIPBKCOLOR, RGB(255, 255, 255), 0);
    SendMessageA(tooltip_, TTM_SETTIPTEXTCOLOR, GetSysColor(COLOR_BTNTEXT), 0);
    SendMessageA(tooltip_, TTM_ACTIVATE, TRUE, 0);
    auto addTip = [&](int control, int tip) {
        char text[128] = "";
        LoadStringA(instance, tip, text, sizeof text);
        TOOLINFOA info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = handle();
        info.uId = reinterpret_cast<UINT_PTR>(item(control));
        info.lpszText = text;
        SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    };
    for (const Face& face : kFaces) {
        HANDLE bitmap = LoadImageA(instance, MAKEINTRESOURCEA(face.bitmap), IMAGE_BITMAP, 0, 0,
                                   LR_LOADMAP3DCOLORS);
        SendMessageA(item(face.control), BM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(bitmap));
        addTip(face.control, face.tip);
    }
    for (auto [control, icon, tip] : {std::tuple{IDC_BACK, IDI_BACK, IDS_TIP_BACK},
                                      std::tuple{IDC_NEXT, IDI_NEXT, IDS_TIP_NEXT}}) {
        HANDLE image = LoadImageA(instance, MAKEINTRESOURCEA(icon), IMAGE_ICON, 16, 16, 0);
        SendMessageA(item(control), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(image));
        addTip(control, tip);
        EnableWindow(item(control), FALSE);
    }
    HMENU menu = GetMenu(handle());
    for (int id : kNotYetAvailable) {
        if (HWND control = item(id))
            EnableWindow(control, FALSE);
        EnableMenuItem(menu, id, MF_BYCOMMAND | MF_GRAYED);
    }
}

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
    SendMessageA(item(IDC_GROUP), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    fillNameList();
    updateCaptions();
}

void MainWindow::fillNameList() {
    HWND list = item(IDC_NAME_LIST);
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    // Lines go in already in order, which keeps a sorted list box fast.
    NameList names(book_.currentGroup().entries(), sortMode_);
    SendMessageA(list, LB_INITSTORAGE, names.size(), names.size() * 24);
    for (const NameLine& line : names.lines()) {
        LRESULT at =
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.text.c_str()));
        if (at >= 0)
            SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at),
                         static_cast<LPARAM>(line.index));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    SetCursor(previous);
}

void MainWindow::updateCaptions() {
    SetDlgItemTextA(handle(), IDC_LIST_CAPTION,
                    listCaption(book_.currentGroup().entries(), sortMode_).c_str());
}

void MainWindow::setSortMode(SortMode mode) {
    sortMode_ = mode;
    checkSortItem();
    fillNameList();
    updateCaptions();
    registry_.setDword("Sort", static_cast<DWORD>(mode));
}

int MainWindow::selectedEntryIndex(std::string* lineText) const {
    HWND list = item(IDC_NAME_LIST);
    LRESULT line = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (line == LB_ERR)
        return kNoEntry;
    if (lineText) {
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(line), 0);
        std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(line),
                     reinterpret_cast<LPARAM>(text.data()));
        text.resize(text.find('\0'));
        *lineText = text;
    }
    return static_cast<int>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(line), 0));
}

void MainWindow::onGroupChanged() {
    LRESULT index = SendMessageA(item(IDC_GROUP), CB_GETCURSEL, 0, 0);
    if (index != CB_ERR)
        selectGroup(static_cast<int>(index));
}

void MainWindow::onQuickSearch() {
    std::string text = windowText(item(IDC_QUICK_SEARCH));
    HWND list = item(IDC_NAME_LIST);
    if (text.empty()) {
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        return;
    }
    // The first line from the top that begins with the text, without regard to case.
    LRESULT found = SendMessageA(list, LB_FINDSTRING, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text.c_str()));
    if (found != LB_ERR)
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(found), 0);
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
    if (SendMessageA(item(IDC_NAME_LIST), LB_GETCURSEL, 0, 0) == LB_ERR) {
        fw::messageBox(handle(), "You must select a name", "Opps...", MB_OK);
    } else if (index != kNoEntry &&
               fw::messageBox(handle(), "Do you really want to delete [" + lineText + "] ?",
                              "Confirmation", MB_YESNO | MB_ICONQUESTION) == IDYES) {
        book_.currentGroup().entries().remove(index + 1);
        fillNameList();
    }
    updateCaptions();
}

void MainWindow::onSave() {
    save();
}

// ---- groups

void MainWindow::onAddGroup() {
    if (Outcome failure = DataFile(platform::systemFileSystem(), book_.dataPath()).save(book_)) {
        fw::messageBox(handle(), "Add group failed", nullptr, MB_OK);
        return;
    }
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

void MainWindow::reloadGroups(int groupToSelect) {
    LoadResult loaded = DataFile(platform::systemFileSystem(), book_.dataPath()).load(book_);
    if (loaded.failure) {
        showFailure(*loaded.failure);
        if (loaded.failure->endsProgram)
            endProgram();
        return;
    }
    fillGroupSelector();
    selectGroup(groupToSelect >= 0 && groupToSelect < book_.groupCount() ? groupToSelect : 0);
}

// ---- files

namespace {

fw::FileDialogOptions dataFileDialog(const char* title) {
    fw::FileDialogOptions options;
    options.title = title;
    options.filter = std::string("Contavo Lite data (*.dat)\0*.dat\0", 32);
    options.defaultExtension = "dat";
    options.defaultName = "data.dat";
    return options;
}

}  // namespace

void MainWindow::onFileNew() {
    std::optional<std::string> path = fw::askFileToOpen(handle(), dataFileDialog("New"));
    if (!path)
        return;
    DataFile file(platform::systemFileSystem(), *path);
    if (file.exists() &&
        fw::messageBox(handle(),
                       *path + " already exists.\nReplace it with a new, empty address book?",
                       "Confirmation", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (!save())
        return;  // the book on screen is kept first
    if (Outcome failure = file.createNew()) {
        showFailure(*failure);
        return;
    }
    book_.setDataPath(*path);
    openBook(/*justCreated=*/true, 0, /*atStartUp=*/false);
}

void MainWindow::onFileOpen() {
    std::optional<std::string> path = fw::askFileToOpen(handle(), dataFileDialog("Open"));
    if (!path)
        return;
    if (!DataFile(platform::systemFileSystem(), *path).exists()) {
        fw::messageBox(handle(), *path + " does not exist. The address book on screen stays open.",
                       "Error", MB_OK | MB_ICONERROR);
        return;
    }
    if (!save())
        return;  // nothing is lost by opening another book
    book_.setDataPath(*path);
    openBook(/*justCreated=*/false, 0, /*atStartUp=*/false);
}

void MainWindow::onFileSaveAs() {
    fw::FileDialogOptions options = dataFileDialog("Save As");
    options.flags |= OFN_OVERWRITEPROMPT;  // never over another book without asking
    std::optional<std::string> path = fw::askFileToSave(handle(), options);
    if (!path)
        return;
    book_.setDataPath(*path);
    save();
    SetWindowTextA(handle(), (std::string(kProduct) + " - " + book_.dataPath()).c_str());
}

void MainWindow::onBackup() {
    fw::FileDialogOptions options = dataFileDialog("Backup");
    options.flags |= OFN_OVERWRITEPROMPT;
    std::optional<std::string> path = fw::askFileToSave(handle(), options);
    // The file as it is on disk (the last saved state); a failed copy is not reported.
    if (path)
        DataFile(platform::systemFileSystem(), book_.dataPath()).backupTo(*path);
}

void MainWindow::onPasswordSetup() {
    PasswordSetupDialog dialog(book_.password());
    if (dialog.run(handle()))
        book_.setPassword(dialog.newPassword());
}

bool MainWindow::save() {
    if (Outcome failure = DataFile(platform::systemFileSystem(), book_.dataPath()).save(book_)) {
        showFailure(*failure);
        if (failure->endsProgram)
            endProgram();
        return false;
    }
    return true;
}

void MainWindow::onExit() {
    tray_.HideIcon();
    if (!save())
        return;  // the window stays open
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(handle(), &placement);
    const RECT& r = placement.rcNormalPosition;
    profile_.setInt("x", r.left);
    profile_.setInt("y", r.top);
    profile_.setInt("width", r.right - r.left);
    profile_.setInt("height", r.bottom - r.top);
    end(IDOK);
}

INT_PTR MainWindow::ignoreOtherCommands(WPARAM, LPARAM) {
    // Commands not in the table (and those not yet available) do nothing.
    return TRUE;
}

INT_PTR MainWindow::onClose(WPARAM, LPARAM) {
    onExit();
    return TRUE;
}

INT_PTR MainWindow::onSize(WPARAM type, LPARAM) {
    if (type == SIZE_MINIMIZED) {
        hideInTray();
        return FALSE;
    }
    RECT client;
    GetClientRect(handle(), &client);
    auto rectOf = [&](int id) {
        RECT r;
        GetWindowRect(item(id), &r);
        MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    RECT list = rectOf(IDC_NAME_LIST);
    MoveWindow(item(IDC_NAME_LIST), list.left, list.top, list.right - list.left,
               client.bottom - 36 - list.top, TRUE);
    RECT group = rectOf(IDC_GROUP);
    MoveWindow(item(IDC_GROUP), group.left, group.top, client.right - group.left,
               group.bottom - group.top, TRUE);
    for (int id : {IDC_BACK, IDC_NEXT}) {
        RECT button = rectOf(id);
        int height = button.bottom - button.top;
        MoveWindow(item(id), button.left, client.bottom - 10 - height, button.right - button.left,
                   height, TRUE);
    }
    InvalidateRect(handle(), nullptr, TRUE);
    return FALSE;
}

INT_PTR MainWindow::onDestroy(WPARAM, LPARAM) {
    if (!fatal_ && !closedEarly_) {
        profile_.setInt("SelectedGroup", book_.currentGroupIndex());
        profile_.setInt("Maximized", IsZoomed(handle()) ? 1 : 0);
    }
    return FALSE;
}

INT_PTR MainWindow::onQueryEndSession(WPARAM, LPARAM) {
    SetWindowLongPtrA(handle(), DWLP_MSGRESULT, TRUE);  // always agree
    return TRUE;
}

INT_PTR MainWindow::onEndSession(WPARAM ending, LPARAM) {
    if (ending)
        onExit();
    return FALSE;
}

// ---- painting

INT_PTR MainWindow::onDialogColour(WPARAM, LPARAM) {
    // The workspace colour shows only around the display window; onPaint covers the rest.
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_APPWORKSPACE));
}

INT_PTR MainWindow::onDrawItem(WPARAM control, LPARAM lParam) {
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (control == IDC_NAME_LIST)
        drawNameLine(item, entryIcon_);
    else if (control == IDC_GROUP)
        drawGroupLine(item, groupIcon_);
    else
        return FALSE;
    return TRUE;
}

INT_PTR MainWindow::onStaticColour(WPARAM wParam, LPARAM) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

INT_PTR MainWindow::onPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle(), &paint);
    if (IsIconic(handle())) {
        RECT client;
        GetClientRect(handle(), &client);
        DrawIcon(dc, (client.right - GetSystemMetrics(SM_CXICON)) / 2,
                 (client.bottom - GetSystemMetrics(SM_CYICON)) / 2, icon_);
        EndPaint(handle(), &paint);
        return TRUE;
    }
    RECT client, group, list;
    GetClientRect(handle(), &client);
    GetWindowRect(item(IDC_GROUP), &group);
    GetWindowRect(item(IDC_NAME_LIST), &list);
    MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&group), 2);
    MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&list), 2);
    // The button row down to the group selector, and the left panel, in the button face.
    RECT strip{0, 0, client.right, group.bottom};
    RECT panel{0, 0, list.right + 3, client.bottom};
    FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
    FillRect(dc, &panel, GetSysColorBrush(COLOR_BTNFACE));
    // Etched lines: shadow, then highlight.
    auto etch = [&](int x1, int y1, int x2, int y2, bool vertical) {
        HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        HGDIOBJ old = SelectObject(dc, shadow);
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
        SelectObject(dc, light);
        MoveToEx(dc, x1 + (vertical ? 1 : 0), y1 + (vertical ? 0 : 1), nullptr);
        LineTo(dc, x2 + (vertical ? 1 : 0), y2 + (vertical ? 0 : 1));
        SelectObject(dc, old);
        DeleteObject(shadow);
        DeleteObject(light);
    };
    etch(0, 0, client.right, 0, false);
    etch(0, group.bottom, client.right, group.bottom, false);
    etch(panel.right, group.bottom, panel.right, client.bottom, true);
    EndPaint(handle(), &paint);
    return TRUE;
}

INT_PTR MainWindow::onRightButtonUp(WPARAM, LPARAM) {
    // The Options menu at the pointer.
    HMENU options = GetSubMenu(GetMenu(handle()), 4);
    POINT at;
    GetCursorPos(&at);
    if (options)
        TrackPopupMenu(options, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, handle(), nullptr);
    return TRUE;
}

// ---- the poster program and web pages

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

namespace {

// The maker's pages.
constexpr char kManualAddress[] = "http://www.example.com/contavo-lite/manual.htm";
constexpr char kProductAddress[] = "http://www.example.com/contavo/";

}  // namespace

void MainWindow::onAbout() {
    AboutBox().run(handle());
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

// ---- the tray

void MainWindow::showTrayIcon() {
    HICON icon = LoadIconA(fw::Application::current().instance(), MAKEINTRESOURCEA(IDI_TRAY));
    tray_.ShowIcon(handle(), WM_TRAY_NOTIFY, kProduct, icon, IDR_SYSTEMTRAY);
}

void MainWindow::hideInTray() {
    showTrayIcon();
    save();
    // While hidden, memory holds the password scrambled.
    book_.scramblePassword();
    ShowWindow(handle(), SW_HIDE);
}

INT_PTR MainWindow::onTimer(WPARAM id, LPARAM) {
    if (id != 1)
        return FALSE;
    // The dialog shows itself once it is made; a tick that comes sooner waits for that.
    if (!IsWindowVisible(handle()))
        return TRUE;
    KillTimer(handle(), 1);
    showTrayIcon();
    ShowWindow(handle(), SW_HIDE);
    book_.scramblePassword();
    return TRUE;
}

INT_PTR MainWindow::onTrayNotify(WPARAM id, LPARAM mouseMessage) {
    tray_.HandleNotification(id, mouseMessage);
    return TRUE;
}

void MainWindow::onShowFromTray() {
    book_.unscramblePassword();
    if (book_.locked()) {
        if (!PasswordPromptDialog(book_.password()).ask(handle())) {
            tray_.HideIcon();
            endQuietly();
            return;
        }
        book_.setLocked(false);
    }
    ShowWindow(handle(), profile_.getInt("Maximized", 0) == 1 ? SW_SHOWMAXIMIZED : SW_RESTORE);
    SetForegroundWindow(handle());
    tray_.HideIcon();
}

void MainWindow::onTrayExit() {
    // As Exit; the password is held scrambled and saved as always.
    onExit();
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

}  // namespace ctlite

// What several of ctlite's window tests share beyond the session: the entry
// editor's pages, the password prompt, group names, file dialogs, the tray's
// stand-in, the import and export dialogs.
#pragma once

#include <windows.h>
// (after windows.h)
#include <prsht.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "addressbook/model/data_file.h"
#include "addressbook/ui/resource.h"
#include "platform/file_system.h"
#include "tests/addressbook/ui/ctlite_session.h"

namespace {

// The entry editor's current page.
inline HWND currentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

inline bool okEnabled(HWND sheet) {
    return IsWindowEnabled(GetDlgItem(sheet, IDOK)) != FALSE;
}

// The editor answers a change (its OK button) while the text is being set.
inline void type(HWND page, int id, const char* text) {
    SetDlgItemTextA(page, id, text);
}

inline ctlite::AddressBook lockedBook(const char* password) {
    ctlite::AddressBook book = threePeople();
    book.setPassword(password);
    return book;
}

const char kIncorrect[] = "Incorrect. Please try again";

// Answers the password prompt and waits for the program's answer: the prompt
// closes, says "Incorrect" (its line is blanked first, so that a second "Incorrect"
// shows too), or a message box comes up.
inline void enterPassword(Session& s, HWND prompt, const char* text) {
    SetDlgItemTextA(prompt, IDC_PASSWORD_TEXT, "");
    SetDlgItemTextA(prompt, IDC_PASSWORD, text);
    User::press(prompt, IDOK);
    waitUntil([&] {
        return !IsWindow(prompt) || User::text(prompt, IDC_PASSWORD_TEXT) == kIncorrect ||
               s.user().waitFor("ctlite", 0, 0xFFFF);
    });
}

// Answers "Add/Modify Group" with a name, and waits for the group selector to show it.
inline void nameGroup(Session& s, HWND window, const char* name) {
    HWND dialog = s.user().waitFor("Add/Modify Group");
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextA(dialog, IDC_GROUP_NAME, name);
    User::answer(dialog, IDOK);
    waitUntil([&] { return User::text(window, IDC_GROUP) == name; });
}

inline ctlite::AddressBook load(const std::string& path) {
    ctlite::AddressBook book;
    ctlite::DataFile file(platform::systemFileSystem(), path);
    file.readTrailer(book);
    file.load(book);
    return book;
}

// Types a path into the system's file dialog of that title and presses OK.
inline void chooseFile(Session& s, const char* title, const std::string& path) {
    HWND dialog = s.user().waitFor(title);
    ASSERT_NE(dialog, nullptr) << "no file dialog " << title;
    for (int id : {0x47C, 0x480})
        SetDlgItemTextA(dialog, id, path.c_str());  // name box or edit
    User::answer(dialog, IDOK);
}

// The visible pop-up menu window of this desktop, or null.
inline HWND waitForPopupMenu() {
    HWND menu = nullptr;
    waitUntil([&] {
        menu = FindWindowA("#32768", nullptr);
        return menu && IsWindowVisible(menu);
    });
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

// Stands in for the shell's notification area: a window of the shell's own class,
// made last and topmost so that Shell_NotifyIcon finds it first. It counts the
// icons it is asked to add and remove, and accepts them or not. Its own thread
// answers, whatever the test is waiting for.
class FakeNotificationArea {
public:
    explicit FakeNotificationArea(bool accepting) : accept(accepting) {
        thread_ = std::thread([this] { run(); });
        waitUntil([&] { return window_.load() != nullptr; });
    }
    ~FakeNotificationArea() {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }

    std::atomic<bool> accept;
    std::atomic<int> added{0}, removed{0};

private:
    void run() {
        WNDCLASSA type{};
        type.lpfnWndProc = &FakeNotificationArea::procedure;
        type.hInstance = GetModuleHandleA(nullptr);
        type.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&type);
        HWND window = CreateWindowExA(WS_EX_TOPMOST, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0,
                                      nullptr, nullptr, type.hInstance, nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        window_ = window;
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
    }
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self =
            reinterpret_cast<FakeNotificationArea*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == WM_COPYDATA) {
            auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (data->dwData == NIM_ADD) {
                ++self->added;
                return self->accept ? TRUE : FALSE;
            }
            if (data->dwData == NIM_DELETE)
                ++self->removed;
            return TRUE;
        }
        if (message == WM_CLOSE) {
            DestroyWindow(window);
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    std::atomic<HWND> window_{nullptr};
    std::thread thread_;
};

inline void setReadOnly(Session& s, bool readOnly) {
    SetFileAttributesA(s.dataPath().c_str(),
                       readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

const char kReadOnlyMessage[] = "File is set to Read-only, can't write to the file.\nSave Failed.";

// The main window of a copy that starts hidden in the tray.
inline HWND waitForHiddenWindow(Session& s) {
    HWND window = nullptr;
    waitUntil([&] {
        window = FindWindowA(nullptr, (kCaptionPrefix + s.dataPath()).c_str());
        return window != nullptr && !Session::visible(window);
    });
    return window;
}

// The file dialog's type list: picks the filter at `index` (from 0) as a user would.
inline void chooseFilter(HWND dialog, int index) {
    HWND types = GetDlgItem(dialog, 0x470);
    SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // The dialog takes the choice when the list closes on it.
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(types));
}

inline void chooseFileOfType(Session& s, const char* title, int filter, const std::string& path) {
    HWND dialog = s.user().waitFor(title);
    ASSERT_NE(dialog, nullptr) << "no file dialog " << title;
    chooseFilter(dialog, filter);
    for (int id : {0x47C, 0x480})
        SetDlgItemTextA(dialog, id, path.c_str());
    User::answer(dialog, IDOK);
}

// Picks a row of a list box or combo box in another process and tells its dialog.
inline void pick(HWND dialog, int id, int row, bool combo) {
    HWND control = GetDlgItem(dialog, id);
    SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
}

// A click on the upper (up) or lower half of the spin control.
inline void spin(HWND dialog, bool up) {
    HWND control = GetDlgItem(dialog, IDC_IMPORT_SPIN);
    RECT r;
    GetClientRect(control, &r);
    LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(control, WM_LBUTTONUP, 0, at);
}

inline std::vector<std::string> firstNames(const ctlite::GroupList& list) {
    std::vector<std::string> names;
    for (int p = 1; p <= list.count(); ++p)
        names.emplace_back(list.find(p)->get(ctlite::Field::FirstName));
    return names;
}

// Runs File Import on `file` up to the Import dialog, into group `group` or, when
// `newGroup` is given, a new group of that name.
inline HWND importUpToMapping(Session& s, HWND window, const std::string& file, int group,
                              const char* newGroup = nullptr) {
    Session::command(window, ID_FILE_IMPORT);
    chooseFile(s, "Import", file);
    HWND to = s.user().waitFor("Import to");
    EXPECT_NE(to, nullptr);
    if (!to)
        return nullptr;
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(to, IDC_IMPORT_NEW_NAME)));
    if (newGroup) {
        SendDlgItemMessageA(to, IDC_IMPORT_EXISTING, BM_SETCHECK, BST_UNCHECKED, 0);
        SendDlgItemMessageA(to, IDC_IMPORT_NEW, BM_SETCHECK, BST_CHECKED, 0);
        User::press(to, IDC_IMPORT_NEW);
        // The dialog enables one and disables the other in turn: both are waited for.
        EXPECT_TRUE(waitUntil([&] {
            return IsWindowEnabled(GetDlgItem(to, IDC_IMPORT_NEW_NAME)) &&
                   !IsWindowEnabled(GetDlgItem(to, IDC_IMPORT_GROUPS));
        }));
        SetDlgItemTextA(to, IDC_IMPORT_NEW_NAME, newGroup);
    } else {
        pick(to, IDC_IMPORT_GROUPS, group, true);
    }
    User::answer(to, IDOK);
    return s.user().waitFor("Import", 20, IDC_IMPORT_MAP);
}

}  // namespace

// ctlite.exe started for a test in a folder of its own, and the fixtures that start it.
#pragma once

#include <windows.h>
// (after windows.h)
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "addressbook/model/data_file.h"
#include "addressbook/ui/resource.h"
#include "platform/file_system.h"
#include "tests/support/book_builder.h"
#include "tests/support/win32/driver.h"

using namespace testing_support;

// One definition for every test file of a program that includes it: gtest wants
// one fixture class per test suite, whichever files its tests are in.
namespace ctlite_session {

inline constexpr char kCaptionPrefix[] = "Contavo Lite - ";

inline std::string windowsDirectoryFile(const char* name) {
    char directory[MAX_PATH];
    UINT n = GetWindowsDirectoryA(directory, sizeof directory);
    return std::string(directory, n) + "\\" + name;
}

// A folder to start the program in, with no settings left from earlier runs.
class Session {
public:
    Session() {
        folder_ = "C:\\ctlite-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(GetTickCount());
        CreateDirectoryA(folder_.c_str(), nullptr);
        DeleteFileA(windowsDirectoryFile("ctlite.INI").c_str());
        SHDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Contavo Lite");
        parkPointer();
    }
    ~Session() {
        if (run_.process.hProcess) {
            TerminateProcess(run_.process.hProcess, 9);
            run_.wait();
        }
        std::string path = dataPath();
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        RemoveDirectoryA(folder_.c_str());
        for (auto parent = parents_.rbegin(); parent != parents_.rend(); ++parent)
            RemoveDirectoryA(parent->c_str());
        DeleteFileA(windowsDirectoryFile("ctlite.INI").c_str());
        SHDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Contavo Lite");
    }

    std::string dataPath() const { return folder_ + "\\data.dat"; }

    // The program starts in a new folder inside this one from now on.
    void moveInto(const std::string& name) {
        parents_.push_back(folder_);
        folder_ += "\\" + name;
        CreateDirectoryA(folder_.c_str(), nullptr);
    }

    void writeBook(const ctlite::AddressBook& book) {
        ctlite::DataFile(platform::systemFileSystem(), dataPath()).save(book);
    }

    // Starts the program and waits for its main window.
    HWND start() {
        startOnly();
        return user_->waitFor(kCaptionPrefix + dataPath());
    }
    // Starts the program (its first window may be a question).
    void startOnly() {
        run_ = launch("\"" + windowsPath(CTLITE_EXE) + "\"", folder_);
        user_ = std::make_unique<User>(run_.process.dwProcessId);
    }

    User& user() { return *user_; }
    DWORD wait() { return run_.wait(30000); }

    // Picks a group in the selector, as a user would, and waits for the name list to
    // change to that group's.
    static void chooseGroup(HWND window, int index) {
        std::vector<std::string> before = lines(window);
        SendDlgItemMessageA(window, IDC_GROUP, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_GROUP, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_GROUP)));
        waitUntil([&] { return lines(window) != before; });
    }

    static void command(HWND window, int id) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }

    static std::vector<std::string> lines(HWND window) { return rows(window, IDC_NAME_LIST); }

    // The texts of list box `id` of any window of the program.
    static std::vector<std::string> rows(HWND window, int id) { return User::rows(window, id); }

    // Waits until the name list shows these lines.
    static void waitForLines(HWND window, const std::vector<std::string>& expected) {
        waitUntil([&] { return lines(window) == expected; });
    }

    static std::string caption(HWND window) { return User::text(window, IDC_LIST_CAPTION); }

    static bool visible(HWND window) { return IsWindowVisible(window) != FALSE; }

private:
    std::string folder_;
    std::vector<std::string> parents_;
    Started run_;
    std::unique_ptr<User> user_;
};

inline ctlite::AddressBook threePeople() {
    ctlite::AddressBook book;
    auto& list = book.group(0).entries();
    list.insert(1,
                makeEntry({{ctlite::Field::FirstName, "Ann"}, {ctlite::Field::LastName, "Smith"}}));
    list.insert(1,
                makeEntry({{ctlite::Field::FirstName, "bob"}, {ctlite::Field::LastName, "Adams"}}));
    list.insert(1, makeEntry({{ctlite::Field::FirstName, "Cy"},
                              {ctlite::Field::LastName, "Miller"},
                              {ctlite::Field::CompanyName, "Acme"}}));
    book.addGroup("Friends");
    return book;
}

// Each test has a folder of its own and no settings from earlier runs; it writes
// its book (or none) and starts the program itself.
class Ctlite : public testing::Test {
protected:
    // The usual end of a test: Exit pressed in the main window, and the program
    // ends with status 0.
    void exitNormally(HWND window) {
        User::press(window, IDOK);
        EXPECT_EQ(s.wait(), 0u);
    }

    Session s;
};

// The three people's book, open in the main window.
class CtliteThreePeople : public Ctlite {
protected:
    void SetUp() override {
        s.writeBook(threePeople());
        window = s.start();
        ASSERT_NE(window, nullptr) << "no main window titled with the data path";
    }

    HWND window = nullptr;
};

}  // namespace ctlite_session

using namespace ctlite_session;

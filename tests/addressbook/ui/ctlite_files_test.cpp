// ctlite under Wine, as a user works it: File New, Open, Save As and Backup, the data file and its
// folder, read-only books and damaged ones.
#include <windows.h>
// (after windows.h)
#include <prsht.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <future>
#include <string>
#include <thread>

#include "addressbook/contracts/poster_arguments.h"
#include "addressbook/model/data_file.h"
#include "addressbook/model/data_format.h"
#include "addressbook/transfer/table_file.h"
#include "addressbook/transfer/vcard.h"
#include "addressbook/ui/resource.h"
#include "platform/file_system.h"
#include "tests/addressbook/ui/ctlite_helpers.h"
#include "tests/addressbook/ui/ctlite_session.h"
#include "tests/support/book_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/win32/driver.h"

TEST_F(Ctlite, FirstStartMakesANewBook) {
    HWND window = s.start();
    ASSERT_NE(window, nullptr) << "no main window titled with the data path";
    EXPECT_EQ(readAll(s.dataPath()), ctlite::dataformat::newFileImage());
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, 464);
    EXPECT_EQ(r.bottom - r.top, 423);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 464) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 423) / 2);
    EXPECT_EQ(User::text(window, IDC_GROUP), "Personal");
    EXPECT_EQ(Session::lines(window), (std::vector<std::string>{"{ EMPTY } "}));  // first-name sort
    EXPECT_EQ(Session::caption(window), "Name List [empty]");

    User::press(window, IDOK);  // Exit
    EXPECT_EQ(s.wait(), 0u);
    // Saved with its trailer; the placement is in the profile.
    std::string bytes = readAll(s.dataPath());
    EXPECT_NE(bytes.find('\x0E'), std::string::npos);
    EXPECT_EQ(GetPrivateProfileIntA("Contavo Lite", "width", 0, "ctlite.INI"), 464u);
    EXPECT_EQ(GetPrivateProfileIntA("Contavo Lite", "SelectedGroup", 9, "ctlite.INI"), 0u);
}

TEST_F(Ctlite, ReadOnlyDataFileKeepsTheWindowOpen) {
    s.writeBook(threePeople());
    WritePrivateProfileStringA("Contavo Lite", "SelectedGroup", "7",
                               "ctlite.INI");  // beyond the groups
    HWND window = s.start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(User::text(window, IDC_GROUP), "Personal");
    SetFileAttributesA(s.dataPath().c_str(), FILE_ATTRIBUTE_READONLY);
    std::string before = readAll(s.dataPath());
    User::press(window, IDOK);
    HWND box = s.user().waitFor("Error");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              "File is set to Read-only, can't write to the file.\nSave Failed.");
    User::answer(box, IDOK);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(readAll(s.dataPath()), before);
    SetFileAttributesA(s.dataPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    exitNormally(window);
}

TEST_F(CtliteThreePeople, FileOpenOfAMissingFileStaysOnTheBook) {
    std::string missing = s.dataPath() + "-missing.dat";
    Session::command(window, ID_FILE_OPEN);
    chooseFile(s, "Open", missing);
    EXPECT_EQ(s.user().answerBox("Error"),
              missing + " does not exist. The address book on screen stays open.");
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(Session::lines(window).size(), 3u);
    exitNormally(window);
}

TEST_F(Ctlite, FileNewOverAnExistingBookAsksFirstAndSaveAsWritesTheCopy) {
    s.writeBook(threePeople());
    std::string other = s.dataPath() + "-other.dat";
    ctlite::DataFile(platform::systemFileSystem(), other).save(threePeople());
    std::string otherBefore = readAll(other);
    HWND window = s.start();
    ASSERT_NE(window, nullptr);

    Session::command(window, ID_FILE_NEW);
    chooseFile(s, "New", other);
    HWND box = s.user().waitFor("Confirmation");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              other + " already exists.\nReplace it with a new, empty address book?");
    User::answer(box, IDNO);
    EXPECT_EQ(readAll(other), otherBefore);

    std::string copy = s.dataPath() + "-copy.dat";
    Session::command(window, ID_FILE_SAVE_AS);
    chooseFile(s, "Save As", copy);
    auto title = [&] {
        char text[512] = "";
        GetWindowTextA(window, text, sizeof text);
        return std::string(text);
    };
    waitUntil([&] { return title() == kCaptionPrefix + copy; });
    EXPECT_EQ(title(), kCaptionPrefix + copy);
    EXPECT_EQ(load(copy).group(0).entries().count(), 3);
    exitNormally(window);
    DeleteFileA(other.c_str());
    DeleteFileA(copy.c_str());
}

TEST_F(CtliteThreePeople, BackupCopiesTheFileAsSaved) {
    std::string saved = readAll(s.dataPath());
    SendDlgItemMessageA(window, IDC_NAME_LIST, LB_SETCURSEL, 0, 0);
    User::press(window, IDC_DELETE);  // an unsaved change
    HWND box = s.user().waitFor("Confirmation");
    ASSERT_NE(box, nullptr);
    User::answer(box, IDYES);
    std::string backup = s.dataPath() + "-backup.dat";
    Session::command(window, ID_FILE_BACKUP);
    chooseFile(s, "Backup", backup);
    waitUntil([&] { return exists(backup); });  // written whole, under its name at once
    EXPECT_EQ(readAll(backup), saved);          // the file on disk, not the unsaved change
    exitNormally(window);
    DeleteFileA(backup.c_str());
}

TEST_F(Ctlite, ADataFolderLongerThanAHundredCharactersIsUsedWhole) {
    s.moveInto(std::string(60, 'a'));
    s.moveInto(std::string(60, 'b'));
    ASSERT_GT(s.dataPath().size(), 130u);
    HWND window = s.start();
    ASSERT_NE(window, nullptr) << "no window titled " << s.dataPath();
    exitNormally(window);
    EXPECT_EQ(load(s.dataPath()).groupCount(), 2);
}

TEST_F(CtliteThreePeople, AReadOnlyBookNeverTrapsTheUser) {
    setReadOnly(s, true);
    // Add a Group shows the save's own message.
    Session::command(window, ID_GROUP_ADD);
    EXPECT_EQ(s.user().answerBox("Error"), kReadOnlyMessage);
    // File Open: asked whether to go on without saving; No stays on the book.
    std::string other = s.dataPath() + "-other.dat";
    ctlite::AddressBook two;
    two.group(0).entries().insert(1, makeEntry({{ctlite::Field::FirstName, "Zoe"}}));
    ctlite::DataFile(platform::systemFileSystem(), other).save(two);
    const std::string question = std::string(kReadOnlyMessage) +
                                 "\n\nThe address book on screen could not be saved. Go on "
                                 "without saving it?";
    Session::command(window, ID_FILE_OPEN);
    chooseFile(s, "Open", other);
    EXPECT_EQ(s.user().answerBox("Error", IDNO), question);
    EXPECT_EQ(Session::lines(window).size(), 3u);
    // A file that cannot be read is reported, and the book stays.
    HANDLE held = CreateFileA(other.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Session::command(window, ID_FILE_OPEN);
    chooseFile(s, "Open", other);
    EXPECT_EQ(s.user().answerBox("Error"),
              other + " could not be read. The address book on screen stays open.");
    CloseHandle(held);
    EXPECT_EQ(Session::lines(window).size(), 3u);
    // Yes opens the other book.
    Session::command(window, ID_FILE_OPEN);
    chooseFile(s, "Open", other);
    EXPECT_EQ(s.user().answerBox("Error", IDYES), question);
    Session::waitForLines(window, {"Zoe "});
    EXPECT_EQ(Session::lines(window), (std::vector<std::string>{"Zoe "}));
    exitNormally(window);
    setReadOnly(s, false);
    DeleteFileA(other.c_str());
}

TEST_F(Ctlite, ADataFileThatCannotBeMadeShowsTheLoadsOwnMessage) {
    // Nothing can be made in the kernel's process folder, whoever asks.
    Started run = launch("\"" + windowsPath(CTLITE_EXE) + "\"", "Z:\\proc");
    User user(run.process.dwProcessId);
    EXPECT_EQ(user.answerBox("Fatal Error"), "Fatal error executing the program : can't open file");
    EXPECT_EQ(run.wait(20000), static_cast<DWORD>(-1));
}

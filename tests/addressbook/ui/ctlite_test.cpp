// ctlite.exe run for real under Wine on a virtual display, used through its window.
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

TEST_F(CtliteThreePeople, SortCommandsReorderTheListAndAreRemembered) {
    EXPECT_EQ(Session::lines(window),
              (std::vector<std::string>{"Ann Smith", "bob Adams", "Cy Miller"}));
    const std::vector<std::string> byLastName{"Adams, bob", "Miller, Cy", "Smith, Ann"};
    Session::command(window, ID_SORT_LAST);
    Session::waitForLines(window, byLastName);
    EXPECT_EQ(Session::lines(window), byLastName);
    EXPECT_EQ(dwordValue(HKEY_CURRENT_USER, "SOFTWARE\\Contavo Lite", "Sort"), 0u);
    const std::vector<std::string> byCompany{"Acme"};
    Session::command(window, ID_SORT_COMPANY);
    Session::waitForLines(window, byCompany);
    EXPECT_EQ(Session::lines(window), byCompany);
    EXPECT_EQ(Session::caption(window), "Company [3 entries]");
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
}

TEST_F(CtliteThreePeople, QuickSearchAndDeleteWithConfirmation) {
    // Delete with nothing selected.
    User::press(window, IDC_DELETE);
    HWND box = s.user().waitFor("Opps...");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "You must select a name");
    User::answer(box, IDOK);
    // Quick search picks the first line beginning with the text, whatever its case.
    SetDlgItemTextA(window, IDC_QUICK_SEARCH, "BO");
    waitUntil([&] { return SendDlgItemMessageA(window, IDC_NAME_LIST, LB_GETCURSEL, 0, 0) == 1; });
    EXPECT_EQ(SendDlgItemMessageA(window, IDC_NAME_LIST, LB_GETCURSEL, 0, 0), 1);
    User::press(window, IDC_DELETE);
    box = s.user().waitFor("Confirmation");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "Do you really want to delete [bob Adams] ?");
    User::answer(box, IDYES);
    const std::vector<std::string> withoutBob{"Ann Smith", "Cy Miller"};
    Session::waitForLines(window, withoutBob);
    EXPECT_EQ(Session::lines(window), withoutBob);
    EXPECT_EQ(Session::caption(window), "Name List [2 entries]");
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    // The saved book lacks bob and keeps the rest.
    ctlite::AddressBook back;
    ctlite::DataFile(platform::systemFileSystem(), s.dataPath()).load(back);
    EXPECT_EQ(back.group(0).entries().count(), 2);
    EXPECT_EQ(back.groupCount(), 3);
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
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
}

namespace {

// The entry editor's current page.
HWND currentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

bool okEnabled(HWND sheet) {
    return IsWindowEnabled(GetDlgItem(sheet, IDOK)) != FALSE;
}

// The editor answers a change (its OK button) while the text is being set.
void type(HWND page, int id, const char* text) {
    SetDlgItemTextA(page, id, text);
}

}  // namespace

TEST_F(Ctlite, AddingToAnEmptyGroupWithTheEditorRules) {
    HWND window = s.start();
    ASSERT_NE(window, nullptr);
    User::press(window, IDC_ADD);
    HWND sheet = s.user().waitFor("Edit Dialog");
    ASSERT_NE(sheet, nullptr);
    HWND page = currentPage(sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(User::text(page, IDC_LABEL_FIRST), "Company Name:");
    EXPECT_FALSE(okEnabled(sheet));
    type(page, IDC_EDIT_LAST, "Jones");
    EXPECT_FALSE(okEnabled(sheet));  // a last name alone never enables OK
    type(page, IDC_EDIT_FIRST, "A");
    EXPECT_TRUE(okEnabled(sheet));
    type(page, IDC_EDIT_FIRST, "");
    EXPECT_FALSE(okEnabled(sheet));
    type(page, IDC_EDIT_COMPANY, "Smith & Sons");
    EXPECT_TRUE(okEnabled(sheet));
    type(page, IDC_EDIT_EMAIL, "nowhere");
    User::press(sheet, IDOK);
    HWND box = s.user().waitFor("Oops...");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "You entered invalid Email address");
    User::answer(box, IDOK);
    ASSERT_TRUE(IsWindow(sheet));  // refused: the sheet stays open
    type(page, IDC_EDIT_EMAIL, "info@example.com");
    User::answer(sheet, IDOK);
    const std::vector<std::string> jones{" Jones"};
    Session::waitForLines(window, jones);
    EXPECT_EQ(Session::lines(window), jones);
    EXPECT_EQ(Session::caption(window), "Name List [1 entry]");
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);

    ctlite::AddressBook back;
    ctlite::DataFile(platform::systemFileSystem(), s.dataPath()).load(back);
    ASSERT_EQ(back.group(0).entries().count(), 1);
    const ctlite::Entry* e = back.group(0).entries().find(1);
    EXPECT_EQ(e->get(ctlite::Field::CompanyName), "Smith && Sons");
    EXPECT_EQ(e->get(ctlite::Field::EmailAddress), "info@example.com");
}

TEST_F(Ctlite, EditingKeepsTheNoteUnlessItsPageWasOpened) {
    ctlite::AddressBook book;
    book.group(0).entries().insert(1, makeEntry({{ctlite::Field::FirstName, "Ann"},
                                                 {ctlite::Field::CompanyName, "A && B & C"},
                                                 {ctlite::Field::Note, "keep me"}}));
    s.writeBook(book);
    HWND window = s.start();
    ASSERT_NE(window, nullptr);
    SendDlgItemMessageA(window, IDC_NAME_LIST, LB_SETCURSEL, 0, 0);
    Session::command(window, ID_ENTRY_EDIT);
    HWND sheet = s.user().waitFor("Edit Dialog");
    ASSERT_NE(sheet, nullptr);
    HWND page = currentPage(sheet);
    EXPECT_EQ(User::text(page, IDC_EDIT_COMPANY), "A & B & C");
    type(page, IDC_EDIT_CITY, "Rome");
    User::answer(sheet, IDOK);

    // The list was refilled: select the line again.
    SendDlgItemMessageA(window, IDC_NAME_LIST, LB_SETCURSEL, 0, 0);
    Session::command(window, ID_ENTRY_EDIT);
    sheet = s.user().waitFor("Edit Dialog");
    ASSERT_NE(sheet, nullptr);
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    waitUntil([&] { return GetDlgItem(currentPage(sheet), IDC_EDIT_NOTE) != nullptr; });
    HWND note = currentPage(sheet);
    EXPECT_EQ(User::text(note, IDC_EDIT_NOTE), "keep me");
    type(note, IDC_EDIT_NOTE, "");
    User::answer(sheet, IDOK);
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);

    ctlite::AddressBook back;
    ctlite::DataFile(platform::systemFileSystem(), s.dataPath()).load(back);
    const ctlite::Entry* e = back.group(0).entries().find(1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->get(ctlite::Field::City), "Rome");
    EXPECT_EQ(e->get(ctlite::Field::CompanyName), "A && B & C");
    EXPECT_EQ(e->get(ctlite::Field::Note), "");
}

namespace {

ctlite::AddressBook lockedBook(const char* password) {
    ctlite::AddressBook book = threePeople();
    book.setPassword(password);
    return book;
}

const char kIncorrect[] = "Incorrect. Please try again";

// Answers the password prompt and waits for the program's answer: the prompt
// closes, says "Incorrect" (its line is blanked first, so that a second "Incorrect"
// shows too), or a message box comes up.
void enterPassword(Session& s, HWND prompt, const char* text) {
    SetDlgItemTextA(prompt, IDC_PASSWORD_TEXT, "");
    SetDlgItemTextA(prompt, IDC_PASSWORD, text);
    User::press(prompt, IDOK);
    waitUntil([&] {
        return !IsWindow(prompt) || User::text(prompt, IDC_PASSWORD_TEXT) == kIncorrect ||
               s.user().waitFor("ctlite", 0, 0xFFFF);
    });
}

}  // namespace

TEST_F(Ctlite, ThreeWrongPasswordsEndTheProgramAndChangeNothing) {
    s.writeBook(lockedBook("s3cret\xE9"));
    std::string before = readAll(s.dataPath());
    s.startOnly();  // the main window does not show before the password
    HWND prompt = s.user().waitFor("Contavo Lite", 20, IDC_PASSWORD);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(User::text(prompt, IDC_PASSWORD_TEXT), "Please enter your password");
    enterPassword(s, prompt, "S3CRET\xE9");  // case counts
    EXPECT_EQ(User::text(prompt, IDC_PASSWORD_TEXT), kIncorrect);
    enterPassword(s, prompt, "nope");
    enterPassword(s, prompt, "still no");
    HWND box = s.user().waitFor("ctlite", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "Wrong password. Access denied.");
    User::answer(box, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    EXPECT_EQ(readAll(s.dataPath()), before);
    EXPECT_EQ(GetPrivateProfileIntA("Contavo Lite", "SelectedGroup", 99, "ctlite.INI"), 99u);
}

TEST_F(Ctlite, RightPasswordOpensTheBook) {
    s.writeBook(lockedBook("s3cret\xE9"));
    s.startOnly();
    HWND prompt = s.user().waitFor("Contavo Lite", 20, IDC_PASSWORD);
    ASSERT_NE(prompt, nullptr);
    enterPassword(s, prompt, "s3cret\xE9");
    HWND window = s.user().waitFor(kCaptionPrefix + s.dataPath());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Session::lines(window).size(), 3u);
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    ctlite::AddressBook back;
    ctlite::DataFile(platform::systemFileSystem(), s.dataPath()).readTrailer(back);
    EXPECT_EQ(back.password(), "s3cret\xE9");  // kept through the save
}

TEST_F(CtliteThreePeople, PasswordSetupSetsAndRemovesTheProtection) {
    Session::command(window, ID_OPTIONS_PASSWORD);
    HWND setup = s.user().waitFor("Password Setup");
    ASSERT_NE(setup, nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(setup, IDC_OLD_PASSWORD)));
    SetDlgItemTextA(setup, IDC_NEW_PASSWORD, "abc");
    SetDlgItemTextA(setup, IDC_CONFIRM_PASSWORD, "abd");
    User::press(setup, IDOK);
    HWND box = s.user().waitFor("ctlite", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              "The new and confirmed password don't match.\n\nPlease try again.");
    User::answer(box, IDOK);
    SetDlgItemTextA(setup, IDC_CONFIRM_PASSWORD, "abc");
    User::answer(setup, IDOK);
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);

    // Now protected: the prompt comes first; then remove the password again.
    s.startOnly();
    HWND prompt = s.user().waitFor("Contavo Lite", 20, IDC_PASSWORD);
    ASSERT_NE(prompt, nullptr);
    enterPassword(s, prompt, "abc");
    window = s.user().waitFor(kCaptionPrefix + s.dataPath());
    ASSERT_NE(window, nullptr);
    Session::command(window, ID_OPTIONS_PASSWORD);
    setup = s.user().waitFor("Password Setup");
    ASSERT_NE(setup, nullptr);
    SetDlgItemTextA(setup, IDC_OLD_PASSWORD, "wrong");
    User::press(setup, IDOK);
    box = s.user().waitFor("ctlite", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "You entered wrong old password.");
    User::answer(box, IDOK);
    SetDlgItemTextA(setup, IDC_OLD_PASSWORD, "abc");
    User::answer(setup, IDOK);
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    ctlite::AddressBook back;
    ctlite::DataFile(platform::systemFileSystem(), s.dataPath()).readTrailer(back);
    EXPECT_FALSE(back.hasPassword());
    EXPECT_FALSE(back.locked());
}

namespace {

// Answers "Add/Modify Group" with a name, and waits for the group selector to show it.
void nameGroup(Session& s, HWND window, const char* name) {
    HWND dialog = s.user().waitFor("Add/Modify Group");
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextA(dialog, IDC_GROUP_NAME, name);
    User::answer(dialog, IDOK);
    waitUntil([&] { return User::text(window, IDC_GROUP) == name; });
}

ctlite::AddressBook load(const std::string& path) {
    ctlite::AddressBook book;
    ctlite::DataFile file(platform::systemFileSystem(), path);
    file.readTrailer(book);
    file.load(book);
    return book;
}

}  // namespace

TEST_F(CtliteThreePeople, GroupsAreAddedRenamedAndDeleted) {
    // Groups 1 and 2 cannot be deleted: nothing is asked. The Add dialog, asked for
    // next, comes up once the Delete command has been handled.
    Session::command(window, ID_GROUP_DELETE);
    Session::command(window, ID_GROUP_ADD);
    ASSERT_NE(s.user().waitFor("Add/Modify Group"), nullptr);
    EXPECT_EQ(s.user().waitFor("Confirmation", 0), nullptr);
    nameGroup(s, window, "Friends & Co");
    EXPECT_EQ(User::text(window, IDC_GROUP), "Friends & Co");
    EXPECT_EQ(SendDlgItemMessageA(window, IDC_GROUP, CB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(Session::lines(window), (std::vector<std::string>{"{ EMPTY } "}));

    Session::command(window, ID_GROUP_RENAME);
    nameGroup(s, window, "Club");
    EXPECT_EQ(User::text(window, IDC_GROUP), "Club");
    Session::chooseGroup(window, 0);
    Session::command(window, ID_GROUP_RENAME);
    nameGroup(s, window, "Family");
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);

    ctlite::AddressBook back = load(s.dataPath());
    ASSERT_EQ(back.groupCount(), 4);
    EXPECT_EQ(back.groupName(0), "Family");  // in the trailer
    EXPECT_EQ(back.groupName(3), "Club");    // in its header
    EXPECT_EQ(back.group(0).entries().count(), 3);
}

TEST_F(Ctlite, DeletingGroupThreeOfFiveKeepsEveryOtherEntryOnce) {
    ctlite::AddressBook book;
    for (int g = 2; g < 5; ++g)
        book.addGroup("G" + std::to_string(g + 1));
    for (int g = 0; g < 5; ++g)
        for (int n = 0; n < 3; ++n)
            book.group(g).entries().insert(
                1, makeEntry(
                       {{ctlite::Field::FirstName, "P" + std::to_string(g) + std::to_string(n)}}));
    s.writeBook(book);
    HWND window = s.start();
    ASSERT_NE(window, nullptr);
    Session::chooseGroup(window, 2);
    Session::command(window, ID_GROUP_DELETE);
    HWND box = s.user().waitFor("Confirmation");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(
        User::messageText(box),
        "Do you really want to delete this group? All the entries in this group will be lost.");
    User::answer(box, IDYES);
    waitUntil([&] { return SendDlgItemMessageA(window, IDC_GROUP, CB_GETCOUNT, 0, 0) == 4; });
    EXPECT_EQ(SendDlgItemMessageA(window, IDC_GROUP, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(User::text(window, IDC_GROUP), "Personal");
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);

    ctlite::AddressBook back = load(s.dataPath());
    ASSERT_EQ(back.groupCount(), 4);
    const int kept[] = {0, 1, 3, 4};
    for (int g = 0; g < 4; ++g) {
        ASSERT_EQ(back.group(g).entries().count(), 3) << g;
        for (int p = 1; p <= 3; ++p)
            EXPECT_EQ(back.group(g).entries().find(p)->get(ctlite::Field::FirstName).substr(0, 2),
                      "P" + std::to_string(kept[g]));
    }
}

namespace {

// Types a path into the system's file dialog of that title and presses OK.
void chooseFile(Session& s, const char* title, const std::string& path) {
    HWND dialog = s.user().waitFor(title);
    ASSERT_NE(dialog, nullptr) << "no file dialog " << title;
    for (int id : {0x47C, 0x480})
        SetDlgItemTextA(dialog, id, path.c_str());  // name box or edit
    User::answer(dialog, IDOK);
}

}  // namespace

TEST_F(CtliteThreePeople, FileOpenOfAMissingFileStaysOnTheBook) {
    std::string missing = s.dataPath() + "-missing.dat";
    Session::command(window, ID_FILE_OPEN);
    chooseFile(s, "Open", missing);
    HWND box = s.user().waitFor("Error", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              missing + " does not exist. The address book on screen stays open.");
    User::answer(box, IDOK);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(Session::lines(window).size(), 3u);
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
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
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    DeleteFileA(other.c_str());
    DeleteFileA(copy.c_str());
}

TEST_F(CtliteThreePeople, ASecondStartActivatesTheFirstAndEnds) {
    ShowWindow(window, SW_MINIMIZE);  // goes to the tray
    waitUntil([&] { return !Session::visible(window); });
    EXPECT_FALSE(IsWindowVisible(window));
    Started second = launch("\"" + windowsPath(CTLITE_EXE) + "\"");
    EXPECT_EQ(second.wait(20000), 0u);
    // The first copy runs on, and comes out of the tray to the front.
    waitUntil([&] { return Session::visible(window) && GetForegroundWindow() == window; });
    EXPECT_TRUE(Session::visible(window));
    EXPECT_EQ(GetForegroundWindow(), window);
    // A double-click on the tray icon shows the window again.
    ShowWindow(window, SW_MINIMIZE);
    waitUntil([&] { return !Session::visible(window); });
    PostMessageA(window, WM_TRAY_NOTIFY, IDR_SYSTEMTRAY, WM_LBUTTONDBLCLK);
    waitUntil([&] { return Session::visible(window); });
    EXPECT_TRUE(IsWindowVisible(window));
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
}

TEST_F(Ctlite, MinimisingSavesAndStartingInTheTrayDefersThePassword) {
    s.writeBook(lockedBook("pw"));
    setValue(HKEY_CURRENT_USER, "SOFTWARE\\Contavo Lite", "Minimize", 1);
    s.startOnly();
    // It starts hidden, with no prompt.
    EXPECT_EQ(s.user().waitFor("Contavo Lite", 3, IDC_PASSWORD), nullptr);
    HWND window = nullptr;
    waitUntil([&] {
        window = FindWindowA(nullptr, (kCaptionPrefix + s.dataPath()).c_str());
        return window != nullptr;
    });
    ASSERT_NE(window, nullptr);
    waitUntil([&] { return !Session::visible(window); });
    EXPECT_FALSE(IsWindowVisible(window));
    Session::command(window, ID_TRAY_SHOW);
    HWND prompt = s.user().waitFor("Contavo Lite", 20, IDC_PASSWORD);
    ASSERT_NE(prompt, nullptr);
    enterPassword(s, prompt, "pw");
    waitUntil([&] { return Session::visible(window); });
    EXPECT_TRUE(IsWindowVisible(window));
    // Minimising saves (before the window hides); showing again does not ask.
    std::remove(s.dataPath().c_str());
    ShowWindow(window, SW_MINIMIZE);
    waitUntil([&] { return !Session::visible(window); });
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(load(s.dataPath()).group(0).entries().count(), 3);
    Session::command(window, ID_TRAY_SHOW);
    waitUntil([&] { return Session::visible(window); });
    EXPECT_TRUE(IsWindowVisible(window));
    // A prompt would have come before the window showed.
    EXPECT_EQ(s.user().waitFor("Contavo Lite", 0, IDC_PASSWORD), nullptr);
    Session::command(window, ID_TRAY_EXIT);
    EXPECT_EQ(s.wait(), 0u);
    ctlite::AddressBook back;
    ctlite::DataFile(platform::systemFileSystem(), s.dataPath()).readTrailer(back);
    EXPECT_EQ(back.password(), "pw");
}

TEST_F(Ctlite, PostStartsThePosterWithTheEntrysValues) {
    ctlite::AddressBook book = threePeople();
    book.labels().set(ctlite::Label::Mobile, "Cell:");
    s.writeBook(book);
    std::string folder = s.dataPath().substr(0, s.dataPath().rfind('\\'));
    HWND window = s.start();
    ASSERT_NE(window, nullptr);
    // Without the poster program.
    SendDlgItemMessageA(window, IDC_NAME_LIST, LB_SETCURSEL, 2, 0);  // "Cy Miller"
    Session::command(window, ID_ENTRY_POST);
    HWND box = s.user().waitFor("Contavo Lite Poster", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              "Contavo Lite Poster is not found.\nPlease make sure you installed it.");
    User::answer(box, IDOK);
    // With a stand-in that writes down its arguments.
    ASSERT_TRUE(CopyFileA(windowsPath(RECORD_ARGUMENTS_EXE).c_str(),
                          (folder + "\\ctlitepost.exe").c_str(), FALSE));
    Session::command(window, ID_ENTRY_POST);
    std::string recorded;
    waitUntil([&] {
        recorded = readAll(folder + "\\arguments.txt");
        return !recorded.empty();
    });
    ctlite::AddressBook saved = load(s.dataPath());
    const ctlite::Entry* cy = nullptr;
    for (int p = 1; p <= saved.group(0).entries().count(); ++p)
        if (saved.group(0).entries().find(p)->get(ctlite::Field::FirstName) == "Cy")
            cy = saved.group(0).entries().find(p);
    ASSERT_NE(cy, nullptr);
    EXPECT_EQ(recorded, ctlite::posterArguments(*cy, "Personal", book.labels()));
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    DeleteFileA((folder + "\\ctlitepost.exe").c_str());
    DeleteFileA((folder + "\\arguments.txt").c_str());
}

TEST_F(CtliteThreePeople, EscapeNeverClosesAndTheSessionEndSaves) {
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    Session::command(window, IDCANCEL);
    // The About box, from the system menu. Posted after Escape and Cancel, it comes
    // up once both have been handled: the window must still be showing then.
    PostMessageA(window, WM_SYSCOMMAND, 16, 0);
    HWND about = s.user().waitFor("About Contavo Lite");
    EXPECT_TRUE(IsWindowVisible(window));
    ASSERT_NE(about, nullptr);
    User::answer(about, IDOK);
    // Windows is ending: the program agrees and saves.
    std::remove(s.dataPath().c_str());
    EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(s.wait(), 0u);
    EXPECT_EQ(load(s.dataPath()).group(0).entries().count(), 3);
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
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    DeleteFileA(backup.c_str());
}

namespace {

// The visible pop-up menu window of this desktop, or null.
HWND waitForPopupMenu() {
    HWND menu = nullptr;
    waitUntil([&] {
        menu = FindWindowA("#32768", nullptr);
        return menu && IsWindowVisible(menu);
    });
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

}  // namespace

TEST_F(CtliteThreePeople, BrowseFillsThePictureAndTheTrayMenuChoosesExit) {
    std::string picture = s.dataPath().substr(0, s.dataPath().size() - 8) + "face.bmp";
    testing_support::writeBytes(picture, "BM");
    User::press(window, IDC_ADD);
    HWND sheet = s.user().waitFor("Edit Dialog");
    ASSERT_NE(sheet, nullptr);
    HWND page = currentPage(sheet);
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_BROWSE)));
    chooseFile(s, "Open", picture);
    waitUntil([&] { return !User::text(page, IDC_EDIT_PICTURE).empty(); });
    EXPECT_EQ(User::text(page, IDC_EDIT_PICTURE), picture);
    User::answer(sheet, IDCANCEL);

    // In the tray, a right click on the icon opens its menu; its last item ends the
    // program the way the Exit button does (the book is saved).
    ShowWindow(window, SW_MINIMIZE);
    waitUntil([&] { return !Session::visible(window); });
    std::remove(s.dataPath().c_str());
    PostMessageA(window, WM_TRAY_NOTIFY, IDR_SYSTEMTRAY, WM_RBUTTONUP);
    HWND menu = waitForPopupMenu();
    ASSERT_NE(menu, nullptr);
    // The menu's loop takes the keys in the order they were posted.
    for (int key : {VK_UP, VK_RETURN})
        PostMessageA(menu, WM_KEYDOWN, key, 0);
    EXPECT_EQ(s.wait(), 0u);
    EXPECT_EQ(load(s.dataPath()).group(0).entries().count(), 3);
    DeleteFileA(picture.c_str());
}

// ---- faults a user met in the main window

namespace {

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

void setReadOnly(Session& s, bool readOnly) {
    SetFileAttributesA(s.dataPath().c_str(),
                       readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

const char kReadOnlyMessage[] = "File is set to Read-only, can't write to the file.\nSave Failed.";

// The main window of a copy that starts hidden in the tray.
HWND waitForHiddenWindow(Session& s) {
    HWND window = nullptr;
    waitUntil([&] {
        window = FindWindowA(nullptr, (kCaptionPrefix + s.dataPath()).c_str());
        return window != nullptr && !Session::visible(window);
    });
    return window;
}

}  // namespace

TEST_F(Ctlite, LongPasswordsControlBytesAndGroupNamesStopAtTheEdit) {
    s.writeBook(threePeople());
    HWND window = s.start();
    ASSERT_NE(window, nullptr);
    Session::command(window, ID_OPTIONS_PASSWORD);
    HWND setup = s.user().waitFor("Password Setup");
    ASSERT_NE(setup, nullptr);
    for (int id : {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD})
        EXPECT_EQ(SendDlgItemMessageA(setup, id, EM_GETLIMITTEXT, 0, 0), 49) << id;
    SetDlgItemTextA(setup, IDC_NEW_PASSWORD, "tab\there");
    SetDlgItemTextA(setup, IDC_CONFIRM_PASSWORD, "tab\there");
    User::press(setup, IDOK);
    HWND box = s.user().waitFor("ctlite", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              "A password can hold at most 49 characters and no control characters.\n\nPlease "
              "try again.");
    User::answer(box, IDOK);
    User::answer(setup, IDCANCEL);
    Session::command(window, ID_GROUP_RENAME);
    HWND name = s.user().waitFor("Add/Modify Group");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(SendDlgItemMessageA(name, IDC_GROUP_NAME, EM_GETLIMITTEXT, 0, 0), 49);
    User::answer(name, IDCANCEL);
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    ctlite::AddressBook back;
    ctlite::DataFile(platform::systemFileSystem(), s.dataPath()).readTrailer(back);
    EXPECT_FALSE(back.hasPassword());  // nothing was stored

    s.writeBook(lockedBook("pw"));
    s.startOnly();
    HWND prompt = s.user().waitFor("Contavo Lite", 20, IDC_PASSWORD);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(SendDlgItemMessageA(prompt, IDC_PASSWORD, EM_GETLIMITTEXT, 0, 0), 49);
    enterPassword(s, prompt, "pw");
    window = s.user().waitFor(kCaptionPrefix + s.dataPath());
    ASSERT_NE(window, nullptr);
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
}

TEST_F(CtliteThreePeople, EnterEditsInTheListAndNeverEndsTheProgram) {
    HWND search = GetDlgItem(window, IDC_QUICK_SEARCH), list = GetDlgItem(window, IDC_NAME_LIST);
    SetDlgItemTextA(window, IDC_QUICK_SEARCH, "BO");
    waitUntil([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == 1; });
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);  // bob Adams
    // Enter in Quick Search, then in the name list: the editor opens on bob.
    PostMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(search), TRUE);
    PostMessageA(search, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
    PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    HWND sheet = s.user().waitFor("Edit Dialog");
    ASSERT_NE(sheet, nullptr) << "the program ended on Enter";
    EXPECT_EQ(User::text(currentPage(sheet), IDC_EDIT_FIRST), "bob");
    User::answer(sheet, IDCANCEL);
    // A click into Quick Search selects all of its text, as the keyboard does.
    auto focus = [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
        return info.hwndFocus;
    };
    auto selection = [&] {
        DWORD start = 0, end = 0;
        SendMessageA(search, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return std::pair<DWORD, DWORD>(start, end);
    };
    PostMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
    waitUntil([&] { return focus() == list; });
    SendMessageA(search, EM_SETSEL, 0, 0);
    PostMessageA(search, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(search, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    waitUntil([&] { return focus() == search && selection() == std::pair<DWORD, DWORD>(0, 2); });
    EXPECT_EQ(focus(), search);
    EXPECT_EQ(selection(), (std::pair<DWORD, DWORD>(0, 2)));
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
}

TEST_F(Ctlite, ADataFolderLongerThanAHundredCharactersIsUsedWhole) {
    s.moveInto(std::string(60, 'a'));
    s.moveInto(std::string(60, 'b'));
    ASSERT_GT(s.dataPath().size(), 130u);
    HWND window = s.start();
    ASSERT_NE(window, nullptr) << "no window titled " << s.dataPath();
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    EXPECT_EQ(load(s.dataPath()).groupCount(), 2);
}

TEST_F(CtliteThreePeople, AReadOnlyBookNeverTrapsTheUser) {
    setReadOnly(s, true);
    // Add a Group shows the save's own message.
    Session::command(window, ID_GROUP_ADD);
    HWND box = s.user().waitFor("Error", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), kReadOnlyMessage);
    User::answer(box, IDOK);
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
    box = s.user().waitFor("Error", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), question);
    User::answer(box, IDNO);
    EXPECT_EQ(Session::lines(window).size(), 3u);
    // A file that cannot be read is reported, and the book stays.
    HANDLE held = CreateFileA(other.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Session::command(window, ID_FILE_OPEN);
    chooseFile(s, "Open", other);
    box = s.user().waitFor("Error", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              other + " could not be read. The address book on screen stays open.");
    User::answer(box, IDOK);
    CloseHandle(held);
    EXPECT_EQ(Session::lines(window).size(), 3u);
    // Yes opens the other book.
    Session::command(window, ID_FILE_OPEN);
    chooseFile(s, "Open", other);
    box = s.user().waitFor("Error", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    User::answer(box, IDYES);
    Session::waitForLines(window, {"Zoe "});
    EXPECT_EQ(Session::lines(window), (std::vector<std::string>{"Zoe "}));
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    setReadOnly(s, false);
    DeleteFileA(other.c_str());
}

TEST_F(CtliteThreePeople, TheSessionEndSavesAtTheQuestionAndMayBeStopped) {
    auto askToEnd = [&] {
        return std::async(std::launch::async,
                          [&] { return SendMessageA(window, WM_QUERYENDSESSION, 0, 0); });
    };
    setReadOnly(s, true);
    auto refused = askToEnd();
    HWND box = s.user().waitFor("Error", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              std::string(kReadOnlyMessage) +
                  "\n\nEnd the Windows session without saving the address book?");
    User::answer(box, IDNO);
    EXPECT_EQ(refused.get(), FALSE);
    setReadOnly(s, false);
    std::remove(s.dataPath().c_str());
    EXPECT_EQ(askToEnd().get(), TRUE);
    EXPECT_EQ(load(s.dataPath()).group(0).entries().count(), 3);  // saved at the question
    SendMessageA(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(s.wait(), 0u);
}

TEST_F(Ctlite, APositionOffEveryScreenIsNotUsedAndTrayExitKeepsMaximized) {
    s.writeBook(threePeople());
    WritePrivateProfileStringA("Contavo Lite", "x", "-3000", "ctlite.INI");
    WritePrivateProfileStringA("Contavo Lite", "y", "100", "ctlite.INI");
    HWND window = s.start();
    ASSERT_NE(window, nullptr);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 464) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 423) / 2);
    ShowWindow(window, SW_MAXIMIZE);
    ShowWindow(window, SW_MINIMIZE);  // to the tray
    waitUntil([&] { return !Session::visible(window); });
    Session::command(window, ID_TRAY_EXIT);
    EXPECT_EQ(s.wait(), 0u);
    EXPECT_EQ(GetPrivateProfileIntA("Contavo Lite", "Maximized", 9, "ctlite.INI"), 1u);
    EXPECT_EQ(GetPrivateProfileIntA("Contavo Lite", "x", 9, "ctlite.INI"),
              static_cast<UINT>(r.left));
}

TEST_F(CtliteThreePeople, ATrayExitWhoseSaveFailsComesBackIntoView) {
    ShowWindow(window, SW_MINIMIZE);
    waitUntil([&] { return !Session::visible(window); });
    setReadOnly(s, true);
    Session::command(window, ID_TRAY_EXIT);
    HWND box = s.user().waitFor("Error", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), kReadOnlyMessage);
    EXPECT_TRUE(Session::visible(window));
    EXPECT_FALSE(IsIconic(window));
    User::answer(box, IDOK);
    setReadOnly(s, false);
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
}

TEST_F(Ctlite, WithoutANotificationAreaTheWindowIsNeverHidden) {
    FakeNotificationArea shell(/*accept=*/false);
    s.writeBook(lockedBook("pw"));
    setValue(HKEY_CURRENT_USER, "SOFTWARE\\Contavo Lite", "Minimize", 1);
    // No icon at start-up: the window stays, and asks first for the password.
    s.startOnly();
    HWND prompt = s.user().waitFor("Contavo Lite", 20, IDC_PASSWORD);
    ASSERT_NE(prompt, nullptr);
    enterPassword(s, prompt, "pw");
    HWND window = s.user().waitFor(kCaptionPrefix + s.dataPath());
    ASSERT_NE(window, nullptr);
    EXPECT_GE(shell.added.load(), 1);
    // Minimised without an icon, it stays on the taskbar.
    ShowWindow(window, SW_MINIMIZE);
    waitUntil([&] { return shell.added.load() >= 2; });
    EXPECT_TRUE(Session::visible(window));
    // With an icon it hides; when the shell restarts, the icon comes back ...
    shell.accept = true;
    ShowWindow(window, SW_RESTORE);
    ShowWindow(window, SW_MINIMIZE);
    waitUntil([&] { return !Session::visible(window); });
    ASSERT_FALSE(Session::visible(window));
    int before = shell.added;
    UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    SendMessageA(window, taskbarCreated, 0, 0);
    EXPECT_EQ(shell.added.load(), before + 1);
    EXPECT_FALSE(Session::visible(window));
    // ... or, refused, the window comes back into view.
    shell.accept = false;
    SendMessageA(window, taskbarCreated, 0, 0);
    waitUntil([&] { return Session::visible(window); });
    EXPECT_TRUE(Session::visible(window));
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
}

TEST_F(Ctlite, ASecondStartShowsTheFirstFromTheTrayThroughItsPassword) {
    FakeNotificationArea shell(/*accept=*/true);
    s.writeBook(lockedBook("pw"));
    setValue(HKEY_CURRENT_USER, "SOFTWARE\\Contavo Lite", "Minimize", 1);
    s.startOnly();
    HWND window = waitForHiddenWindow(s);
    ASSERT_NE(window, nullptr);
    // In the tray for good: its icon is there (the caption alone comes before the load).
    waitUntil([&] { return shell.added.load() > 0 && !Session::visible(window); });
    ASSERT_GT(shell.added.load(), 0);
    Started second = launch("\"" + windowsPath(CTLITE_EXE) + "\"");
    EXPECT_EQ(second.wait(20000), 0u);
    // The first copy asks for the password of its locked book before it shows.
    HWND prompt = s.user().waitFor("Contavo Lite", 20, IDC_PASSWORD);
    ASSERT_NE(prompt, nullptr);
    EXPECT_FALSE(Session::visible(window));
    enterPassword(s, prompt, "pw");
    waitUntil([&] {
        return Session::visible(window) && GetForegroundWindow() == window &&
               shell.removed.load() == shell.added.load();
    });
    EXPECT_TRUE(Session::visible(window));
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_EQ(shell.removed.load(), shell.added.load());  // no icon left behind
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
}

TEST_F(CtliteThreePeople, AFailedPublishLetsLaterCopiesRun) {
    // The shared memory's name taken by another kind of object: this copy cannot
    // publish its window, and a later copy must not wait for it for ever.
    User::press(window, IDOK);
    ASSERT_EQ(s.wait(), 0u);
    HANDLE squatter = CreateEventA(nullptr, TRUE, FALSE, "CSingleInstance_MMF_ctlite");
    ASSERT_NE(squatter, nullptr);
    window = s.start();
    ASSERT_NE(window, nullptr);
    Started second = launch("\"" + windowsPath(CTLITE_EXE) + "\"",
                            s.dataPath().substr(0, s.dataPath().size() - 9));
    User secondUser(second.process.dwProcessId);
    HWND secondWindow = secondUser.waitFor(kCaptionPrefix + s.dataPath());
    EXPECT_NE(secondWindow, nullptr) << "the second copy hangs";
    if (secondWindow)
        User::press(secondWindow, IDOK);
    EXPECT_EQ(second.wait(20000), 0u);
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    CloseHandle(squatter);
}

TEST_F(Ctlite, ADataFileThatCannotBeMadeShowsTheLoadsOwnMessage) {
    // Nothing can be made in the kernel's process folder, whoever asks.
    Started run = launch("\"" + windowsPath(CTLITE_EXE) + "\"", "Z:\\proc");
    User user(run.process.dwProcessId);
    HWND box = user.waitFor("Fatal Error", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "Fatal error executing the program : can't open file");
    User::answer(box, IDOK);
    EXPECT_EQ(run.wait(20000), static_cast<DWORD>(-1));
}

// ---- Import and Export

namespace {

// The file dialog's type list: picks the filter at `index` (from 0) as a user would.
void chooseFilter(HWND dialog, int index) {
    HWND types = GetDlgItem(dialog, 0x470);
    SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // The dialog takes the choice when the list closes on it.
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(types));
}

void chooseFileOfType(Session& s, const char* title, int filter, const std::string& path) {
    HWND dialog = s.user().waitFor(title);
    ASSERT_NE(dialog, nullptr) << "no file dialog " << title;
    chooseFilter(dialog, filter);
    for (int id : {0x47C, 0x480})
        SetDlgItemTextA(dialog, id, path.c_str());
    User::answer(dialog, IDOK);
}

// Picks a row of a list box or combo box in another process and tells its dialog.
void pick(HWND dialog, int id, int row, bool combo) {
    HWND control = GetDlgItem(dialog, id);
    SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
}

// A click on the upper (up) or lower half of the spin control.
void spin(HWND dialog, bool up) {
    HWND control = GetDlgItem(dialog, IDC_IMPORT_SPIN);
    RECT r;
    GetClientRect(control, &r);
    LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(control, WM_LBUTTONUP, 0, at);
}

std::vector<std::string> firstNames(const ctlite::GroupList& list) {
    std::vector<std::string> names;
    for (int p = 1; p <= list.count(); ++p)
        names.emplace_back(list.find(p)->get(ctlite::Field::FirstName));
    return names;
}

// Runs File Import on `file` up to the Import dialog, into group `group` or, when
// `newGroup` is given, a new group of that name.
HWND importUpToMapping(Session& s, HWND window, const std::string& file, int group,
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
        waitUntil([&] { return IsWindowEnabled(GetDlgItem(to, IDC_IMPORT_NEW_NAME)) != FALSE; });
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(to, IDC_IMPORT_GROUPS)));
        SetDlgItemTextA(to, IDC_IMPORT_NEW_NAME, newGroup);
    } else {
        pick(to, IDC_IMPORT_GROUPS, group, true);
    }
    User::answer(to, IDOK);
    return s.user().waitFor("Import", 20, IDC_IMPORT_MAP);
}

}  // namespace

TEST_F(CtliteThreePeople, ExportWritesTheGroupInStoredOrderAndSaysSo) {
    std::string base = s.dataPath() + "-export";
    Session::command(window, ID_FILE_EXPORT);
    chooseFileOfType(s, "Export", 0, base);  // CSV; ".csv" is added
    HWND done = s.user().waitFor("Export", 20, 0xFFFF);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(User::messageText(done), "Export Complete");
    User::answer(done, IDOK);
    ctlite::AddressBook onDisk = load(s.dataPath());
    EXPECT_EQ(readAll(base + ".csv"),
              ctlite::transfer::writeTable(onDisk.group(0).entries(),
                                           ctlite::transfer::TableFormat::Csv));

    Session::command(window, ID_FILE_EXPORT);
    chooseFileOfType(s, "Export", 3, base);  // vCard
    done = s.user().waitFor("Export", 20, 0xFFFF);
    ASSERT_NE(done, nullptr);
    User::answer(done, IDOK);
    EXPECT_EQ(readAll(base + ".vcf"),
              ctlite::transfer::writeVCards(onDisk.group(0).entries(), "Personal"));

    // A file that cannot be created is reported, not completed.
    std::string nowhere = s.dataPath() + "-missing-folder\\list.txt";
    Session::command(window, ID_FILE_EXPORT);
    chooseFileOfType(s, "Export", 1, nowhere);
    HWND failed = s.user().waitFor("Export", 20, 0xFFFF);
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(User::messageText(failed),
              "The file could not be written:\n" + nowhere + "\nNothing was exported.");
    User::answer(failed, IDOK);
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    DeleteFileA((base + ".csv").c_str());
    DeleteFileA((base + ".vcf").c_str());
}

TEST_F(CtliteThreePeople, ImportMapsPagesRefusesAUsedFieldAndFillsANewGroup) {
    std::string file = s.dataPath() + "-in.csv";
    writeAll(file, "\"A\",\"1\"\r\n\"B\",\"2\"\r\n\"C\",\"3\"\r\n");
    HWND dialog = importUpToMapping(s, window, file, 0, "Imported");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Session::rows(dialog, IDC_IMPORT_VALUES), (std::vector<std::string>{"A", "1"}));
    EXPECT_EQ(Session::rows(dialog, IDC_IMPORT_MAP),
              (std::vector<std::string>{"<none>", "<none>"}));

    pick(dialog, IDC_IMPORT_VALUES, 0, false);
    pick(dialog, IDC_IMPORT_FIELDS, 0, true);  // First Name:
    waitUntil([&] { return Session::rows(dialog, IDC_IMPORT_MAP)[0] == "First Name:"; });
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_IMPORT_MAP, LB_GETCURSEL, 0, 0), 0);
    pick(dialog, IDC_IMPORT_VALUES, 1, false);
    pick(dialog, IDC_IMPORT_FIELDS, 0, true);
    HWND used = s.user().waitFor("Opps...", 20, 0xFFFF);
    ASSERT_NE(used, nullptr);
    EXPECT_EQ(User::messageText(used), "This field <First Name:> has been used");
    User::answer(used, IDOK);
    pick(dialog, IDC_IMPORT_FIELDS, 4, true);  // Work:
    waitUntil([&] { return Session::rows(dialog, IDC_IMPORT_MAP)[1] == "Work:"; });
    EXPECT_EQ(Session::rows(dialog, IDC_IMPORT_MAP),
              (std::vector<std::string>{"First Name:", "Work:"}));

    spin(dialog, false);  // before the first record
    HWND end = s.user().waitFor("Opps", 20, 0xFFFF);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(User::messageText(end), "You have reached the end of the list");
    User::answer(end, IDOK);
    spin(dialog, true);
    waitUntil([&] { return User::text(dialog, IDC_IMPORT_RECORD) == "List# 2"; });
    EXPECT_EQ(User::text(dialog, IDC_IMPORT_RECORD), "List# 2");
    EXPECT_EQ(Session::rows(dialog, IDC_IMPORT_VALUES), (std::vector<std::string>{"B", "2"}));

    User::answer(dialog, IDOK);
    Session::waitForLines(window, {"A ", "B ", "C "});
    EXPECT_EQ(Session::lines(window), (std::vector<std::string>{"A ", "B ", "C "}));
    EXPECT_EQ(SendDlgItemMessageA(window, IDC_GROUP, CB_GETCURSEL, 0, 0), 3);
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    ctlite::AddressBook back = load(s.dataPath());
    ASSERT_EQ(back.groupCount(), 4);
    EXPECT_EQ(back.groupName(3), "Imported");
    // Saved once and read back: the file order reversed once more.
    EXPECT_EQ(firstNames(back.group(3).entries()), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(back.group(3).entries().find(3)->get(ctlite::Field::WorkPhone), "3");
    DeleteFileA(file.c_str());
}

TEST_F(CtliteThreePeople, ImportGoesBeforeTheGroupsEntriesAndItsPlaceholder) {
    std::string file = s.dataPath() + "-in.txt";
    writeAll(file, "A\nB\nC\n");
    // Business, and Friends, a user group: each holds only its placeholder.
    for (int group : {1, 2}) {
        HWND dialog = importUpToMapping(s, window, file, group);
        ASSERT_NE(dialog, nullptr);
        pick(dialog, IDC_IMPORT_VALUES, 0, false);
        pick(dialog, IDC_IMPORT_FIELDS, 0, true);
        waitUntil([&] { return Session::rows(dialog, IDC_IMPORT_MAP)[0] == "First Name:"; });
        User::answer(dialog, IDOK);
        waitUntil([&] { return Session::lines(window).size() == 4; });
        EXPECT_EQ(Session::lines(window).size(), 4u) << "group " << group + 1;
    }
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    // In memory C, B, A, placeholder; saved in that order and read back reversed.
    ctlite::AddressBook back = load(s.dataPath());
    for (int group : {1, 2})
        EXPECT_EQ(firstNames(back.group(group).entries()),
                  (std::vector<std::string>{"{ EMPTY }", "A", "B", "C"}))
            << "group " << group + 1;
    DeleteFileA(file.c_str());
}

TEST_F(CtliteThreePeople, VCardsImportWithoutMappingAndOneEntryExportsAsACard) {
    std::string cards = s.dataPath() + "-in.vcf";
    writeAll(cards,
             "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Li;Wei \xE5\xB0\x8F;;;\r\nFN:Wei Li\r\n"
             "NOTE:says \"hi\"\r\nEND:VCARD\r\n"
             "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Ott;Eva\r\nTEL;CELL:123\r\nEND:VCARD\r\n");
    Session::command(window, ID_FILE_IMPORT);
    chooseFile(s, "Import", cards);
    HWND to = s.user().waitFor("Import to");
    ASSERT_NE(to, nullptr);
    pick(to, IDC_IMPORT_GROUPS, 1, true);
    User::answer(to, IDOK);
    HWND told = s.user().waitFor("Import", 20, 0xFFFF);  // no mapping: the fields are named
    ASSERT_NE(told, nullptr);
    EXPECT_EQ(User::messageText(told),
              "2 entries imported.\n1 values held characters this program cannot show; 1 "
              "characters were replaced by \"?\".");
    User::answer(told, IDOK);
    // Business held only its placeholder, which stays behind the imported entries.
    std::vector<std::string> lines = {"{ EMPTY } ", "Eva Ott", "Wei ? Li"};
    Session::waitForLines(window, lines);
    EXPECT_EQ(Session::lines(window), lines);

    // The note's double quote cannot go into a plain comma-separated file: asked first.
    std::string csv = s.dataPath() + "-business.csv";
    Session::command(window, ID_FILE_EXPORT);
    chooseFileOfType(s, "Export", 0, csv);
    HWND asked = s.user().waitFor("Export", 20, 0xFFFF);
    ASSERT_NE(asked, nullptr);
    EXPECT_EQ(User::messageText(asked).substr(0, 60),
              "1 value holds a double quote, which a comma-separated file c");
    EXPECT_NE(User::messageText(asked).find("(the first: Note of Li, Wei ?)"), std::string::npos)
        << User::messageText(asked);
    User::answer(asked, IDNO);
    EXPECT_FALSE(exists(csv));

    SendDlgItemMessageA(window, IDC_NAME_LIST, LB_SETCURSEL, 1, 0);  // Eva Ott
    std::string card = s.dataPath() + "-eva.vcf";
    Session::command(window, ID_ENTRY_EXPORT_VCARD);
    chooseFile(s, "Export", card);
    HWND done = s.user().waitFor("Export", 20, 0xFFFF);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(User::messageText(done), "Export Complete");
    User::answer(done, IDOK);
    EXPECT_EQ(readAll(card),
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ott;Eva;;;\r\nFN:Eva Ott\r\nTEL;TYPE=CELL:123\r\n"
              "CATEGORIES:Business\r\nEND:VCARD\r\n");
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
    for (const std::string& f : {cards, card})
        DeleteFileA(f.c_str());
}

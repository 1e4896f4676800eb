// ctlite under Wine, as a user works it: the name list and the entry editor: sorting, quick search,
// adding, editing, deleting, Enter, Post.
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
    exitNormally(window);
}

TEST_F(CtliteThreePeople, QuickSearchAndDeleteWithConfirmation) {
    // Delete with nothing selected.
    User::press(window, IDC_DELETE);
    HWND box = s.user().waitFor("Opps...");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "You must select a name");
    User::answer(box, IDOK);
    // Quick search picks the first line beginning with the text, whatever its case,
    // and the card shows its entry as for a click.
    SetDlgItemTextA(window, IDC_QUICK_SEARCH, "BO");
    waitUntil([&] { return Session::visible(GetDlgItem(window, IDC_DISPLAY)); });
    EXPECT_EQ(SendDlgItemMessageA(window, IDC_NAME_LIST, LB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(Session::visible(GetDlgItem(window, IDC_DISPLAY)));
    EXPECT_EQ(User::text(window, IDC_DISPLAY), "bob Adams");
    User::press(window, IDC_DELETE);
    box = s.user().waitFor("Confirmation");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "Do you really want to delete [bob Adams] ?");
    User::answer(box, IDYES);
    const std::vector<std::string> withoutBob{"Ann Smith", "Cy Miller"};
    Session::waitForLines(window, withoutBob);
    EXPECT_EQ(Session::lines(window), withoutBob);
    EXPECT_EQ(Session::caption(window), "Name List [2 entries]");
    exitNormally(window);
    // The saved book lacks bob and keeps the rest.
    ctlite::AddressBook back;
    ctlite::DataFile(platform::systemFileSystem(), s.dataPath()).load(back);
    EXPECT_EQ(back.group(0).entries().count(), 2);
    EXPECT_EQ(back.groupCount(), 3);
}

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
    exitNormally(window);

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
    exitNormally(window);

    ctlite::AddressBook back;
    ctlite::DataFile(platform::systemFileSystem(), s.dataPath()).load(back);
    const ctlite::Entry* e = back.group(0).entries().find(1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->get(ctlite::Field::City), "Rome");
    EXPECT_EQ(e->get(ctlite::Field::CompanyName), "A && B & C");
    EXPECT_EQ(e->get(ctlite::Field::Note), "");
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
    exitNormally(window);
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
    EXPECT_EQ(s.user().answerBox("Contavo Lite Poster"),
              "Contavo Lite Poster is not found.\nPlease make sure you installed it.");
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
    exitNormally(window);
    DeleteFileA((folder + "\\ctlitepost.exe").c_str());
    DeleteFileA((folder + "\\arguments.txt").c_str());
}

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

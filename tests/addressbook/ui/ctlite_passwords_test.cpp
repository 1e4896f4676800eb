// ctlite under Wine, as a user works it: the password prompt and Password Setup.
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
    EXPECT_EQ(s.user().answerBox("ctlite"), "Wrong password. Access denied.");
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
    exitNormally(window);
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
    EXPECT_EQ(s.user().answerBox("ctlite"),
              "The new and confirmed password don't match.\n\nPlease try again.");
    SetDlgItemTextA(setup, IDC_CONFIRM_PASSWORD, "abc");
    User::answer(setup, IDOK);
    exitNormally(window);

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
    EXPECT_EQ(s.user().answerBox("ctlite"), "You entered wrong old password.");
    SetDlgItemTextA(setup, IDC_OLD_PASSWORD, "abc");
    User::answer(setup, IDOK);
    exitNormally(window);
    ctlite::AddressBook back;
    ctlite::DataFile(platform::systemFileSystem(), s.dataPath()).readTrailer(back);
    EXPECT_FALSE(back.hasPassword());
    EXPECT_FALSE(back.locked());
}

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
    EXPECT_EQ(s.user().answerBox("ctlite"),
              "A password can hold at most 49 characters and no control characters.\n\nPlease "
              "try again.");
    User::answer(setup, IDCANCEL);
    Session::command(window, ID_GROUP_RENAME);
    HWND name = s.user().waitFor("Add/Modify Group");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(SendDlgItemMessageA(name, IDC_GROUP_NAME, EM_GETLIMITTEXT, 0, 0), 49);
    User::answer(name, IDCANCEL);
    exitNormally(window);
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
    exitNormally(window);
}

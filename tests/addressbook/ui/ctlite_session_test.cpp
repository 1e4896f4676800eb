// ctlite under Wine, as a user works it: exit, Escape, the end of the Windows session, and one
// running copy.
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
    exitNormally(window);
}

namespace {

// Alt and a letter, as the keyboard gives it to the focused control once the key
// is translated.
void altAnd(HWND focused, char letter) {
    PostMessageA(focused, WM_SYSCHAR, static_cast<WPARAM>(letter), MAKELPARAM(1, KF_ALTDOWN));
}

}  // namespace

TEST_F(CtliteThreePeople, AltOpensTheMenuOfThatLetterBeforeAButtonOfIt) {
    HWND list = GetDlgItem(window, IDC_NAME_LIST);
    // A button's letter that no menu title has: the button.
    altAnd(list, 'a');
    HWND editor = s.user().waitFor("Edit Dialog");
    ASSERT_NE(editor, nullptr);
    User::answer(editor, IDCANCEL);
    // "&File" beside the "&Find" button: the menu, whose "E&xit" then ends the program.
    altAnd(list, 'f');
    HWND menu = waitForPopupMenu();
    ASSERT_NE(menu, nullptr) << "no menu; the Search dialog is "
                             << (s.user().waitFor("Search", 0) ? "open" : "not open either");
    PostMessageA(menu, WM_CHAR, 'x', 0);
    EXPECT_EQ(s.wait(), 0u);
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

TEST_F(CtliteThreePeople, TheSessionEndSavesAtTheQuestionAndMayBeStopped) {
    auto askToEnd = [&] {
        return std::async(std::launch::async,
                          [&] { return SendMessageA(window, WM_QUERYENDSESSION, 0, 0); });
    };
    setReadOnly(s, true);
    auto refused = askToEnd();
    EXPECT_EQ(s.user().answerBox("Error", IDNO),
              std::string(kReadOnlyMessage) +
                  "\n\nEnd the Windows session without saving the address book?");
    EXPECT_EQ(refused.get(), FALSE);
    setReadOnly(s, false);
    std::remove(s.dataPath().c_str());
    EXPECT_EQ(askToEnd().get(), TRUE);
    EXPECT_EQ(load(s.dataPath()).group(0).entries().count(), 3);  // saved at the question
    SendMessageA(window, WM_ENDSESSION, TRUE, 0);
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
    exitNormally(window);
    CloseHandle(squatter);
}

// ctlite under Wine, as a user works it: the tray, the window's place, and a second start while the
// first is in the tray.
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

TEST_F(Ctlite, ExitStoresWhetherTheWindowIsMaximizedAndTheNextStartShowsItSo) {
    s.writeBook(threePeople());
    HWND window = s.start();
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_MAXIMIZE);
    EXPECT_TRUE(waitUntil([&] { return IsZoomed(window) != FALSE; }));
    exitNormally(window);
    EXPECT_EQ(GetPrivateProfileIntA("Contavo Lite", "Maximized", 9, "ctlite.INI"), 1u);

    window = s.start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(waitUntil([&] { return IsZoomed(window) != FALSE; }));
    ShowWindow(window, SW_RESTORE);
    EXPECT_TRUE(waitUntil([&] { return !IsZoomed(window); }));
    exitNormally(window);
    EXPECT_EQ(GetPrivateProfileIntA("Contavo Lite", "Maximized", 9, "ctlite.INI"), 0u);

    window = s.start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(waitUntil([&] { return Session::visible(window); }));
    EXPECT_FALSE(IsZoomed(window));
    exitNormally(window);
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
    exitNormally(window);
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
    exitNormally(window);
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
    exitNormally(window);
}

// The setup program's wizard under Wine, driven as a user would: reading the
// pages' captions, typing into their fields and pressing their buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/installer/setup/vxsetup_fixture.h"

using namespace vxsetup_testing;

namespace {

// An interactive run of a package with the welcome page.
class VxsetupWelcome : public testing::Test {
protected:
    Package make(const std::string& name, const std::string& pieces = "") {
        PackageMaker maker(name);
        maker.file("read.txt", "welcome");
        return maker.build(R"(
[package]
product = "VxWelcome"
install_dir = '<ProgramFiles>\VxWelcome'
pages = ["welcome"]

[[files]]
source = "read.txt"
target = '<InstallDir>\read.txt'
)",
                           pieces);
    }
    std::string dir = programFiles() + "\\VxWelcome";
};

}  // namespace

TEST_F(VxsetupWelcome, CancelAnsweredNoKeepsThePageYesEndsWithNothingInstalled) {
    Package package = make("welcome-cancel");
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    User user(setup.process.dwProcessId);
    HWND page = waitForPage("VxWelcome");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(User::text(page, kHeading), "Welcome");
    // The only page before the installation: Next installs, and there is no Back.
    EXPECT_EQ(User::text(page, IDOK), "&Install");
    EXPECT_EQ(User::text(page, IDCANCEL), "Cancel");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kBack)));

    User::press(page, IDCANCEL);
    HWND box = user.waitFor("VxWelcome Setup", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(User::messageText(box).find("Do you really want to quit Setup?"), std::string::npos);
    EXPECT_FALSE(IsWindowEnabled(page));  // while the question is open
    User::answer(box, IDNO);
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(page) != FALSE; }));
    EXPECT_TRUE(IsWindowVisible(page));
    EXPECT_EQ(User::text(page, kHeading), "Welcome");

    User::press(page, IDCANCEL);
    box = user.waitFor("VxWelcome Setup", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    User::answer(box, IDYES);
    EXPECT_EQ(setup.wait(), 0u);
    EXPECT_FALSE(exists(dir));
    EXPECT_FALSE(exists(installedUninstaller("VxWelcome")));
}

TEST_F(VxsetupWelcome, APluginStageThatSendsTheUserBackReturnsToThePage) {
    Package package = make("welcome-back", "plugin_library = '" + kPluginDouble + "'");
    std::string log = package.directory + "\\plugin.log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("VX_DOUBLE_LOG", log.c_str());
    SetEnvironmentVariableA("VX_PLUGIN_RESULT_EntryPoint3", "2");  // stage 4
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    SetEnvironmentVariableA("VX_PLUGIN_RESULT_EntryPoint3", nullptr);
    SetEnvironmentVariableA("VX_DOUBLE_LOG", nullptr);
    HWND page = waitForPage("VxWelcome");
    ASSERT_NE(page, nullptr);
    User::press(page, IDOK);
    // Stage 4 sends the user back: stage 3 sees the return, the welcome page shows
    // again, and nothing was aborted.
    ASSERT_TRUE(waitUntil([&] {
        std::string calls = exists(log) ? readAll(log) : "";
        return calls.find("EntryPoint2 ") != calls.rfind("EntryPoint2 ");
    }));
    std::string calls = readAll(log);
    std::size_t forward = calls.find("EntryPoint3 ");
    ASSERT_NE(forward, std::string::npos) << calls;
    std::size_t back = calls.find("EntryPoint2 ", forward);
    ASSERT_NE(back, std::string::npos) << calls;
    EXPECT_EQ(calls.substr(calls.find(" -> ", forward) - 1, 6), "0 -> 2") << calls;
    EXPECT_EQ(calls.substr(calls.find(" -> ", back) - 1, 6), "1 -> 1") << calls;
    EXPECT_EQ(calls.find("EntryPoint4 "), std::string::npos) << calls;
    EXPECT_TRUE(IsWindowVisible(page));
    EXPECT_EQ(User::text(page, kHeading), "Welcome");
    EXPECT_EQ(WaitForSingleObject(setup.process.hProcess, 0), DWORD{WAIT_TIMEOUT});  // running
    TerminateProcess(setup.process.hProcess, 0);
    setup.wait();
    EXPECT_FALSE(exists(dir));
}

TEST_F(VxsetupWelcome, NextInstalls) {
    Package package = make("welcome-next");
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    HWND page = waitForPage("VxWelcome");
    ASSERT_NE(page, nullptr);
    User::press(page, IDOK);
    EXPECT_EQ(setup.wait(), 1u);
    EXPECT_EQ(readAll(dir + "\\read.txt"), "welcome");
    EXPECT_EQ(uninstall("VxWelcome"), 1u);
    simulateRestart();
    EXPECT_FALSE(exists(dir));
}

TEST(VxsetupLicence, RichTextOfTheLanguageBackFromInformationAndDecliningEndsAtOnce) {
    PackageMaker maker("licence");
    maker.file("read.txt", "terms");
    maker.file("licence.rtf",
               "<LangID=1033>\n{\\rtf1\\ansi English {\\b terms}\\par}\n</LangID=1033>"
               "<LangID=1031>\nDeutsch</LangID=1031>");
    maker.file("information.txt", "Read me first.");
    Package package = maker.build(R"(
[package]
product = "VxLicence"
install_dir = '<ProgramFiles>\VxLicence'
pages = ["licence", "information"]
multilingual = true
licence = "licence.rtf"
information = "information.txt"

[[files]]
source = "read.txt"
target = '<InstallDir>\read.txt'
)");
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    HWND licence = waitForPage("VxLicence");
    ASSERT_NE(licence, nullptr);
    EXPECT_EQ(User::text(licence, kHeading), "Licence Agreement");
    EXPECT_EQ(User::text(licence, IDOK), "Yes");
    EXPECT_EQ(User::text(licence, IDCANCEL), "No");
    // The English section, as rich text.
    std::string document = User::text(licence, kDocument);
    EXPECT_EQ(document.substr(0, 13), "English terms") << document;

    User::press(licence, IDOK);
    HWND information = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        information = waitForPage("VxLicence");
        return information != licence;
    }));
    EXPECT_EQ(User::text(information, kHeading), "Information");
    EXPECT_EQ(User::text(information, IDOK), "&Install");
    EXPECT_EQ(User::text(information, kDocument).substr(0, 14), "Read me first.");
    ASSERT_TRUE(User::waitEnabled(information, kBack));

    User::press(information, kBack);
    ASSERT_TRUE(waitUntil([&] { return waitForPage("VxLicence") == licence; }));
    EXPECT_FALSE(IsWindowVisible(information));
    // Declining needs no question.
    User::press(licence, IDCANCEL);
    EXPECT_EQ(setup.wait(), 0u);
    EXPECT_FALSE(exists(programFiles() + "\\VxLicence"));
}

TEST(VxsetupUserAndDestination, EntriesAreCheckedKeptAcrossBackSummarisedAndUsed) {
    constexpr int kFolder = 35, kSpace = 37, kUserName = 39, kCompany = 42;
    PackageMaker maker("user-destination");
    maker.file("read.txt", "moved");
    Package package = maker.build(R"(
[package]
product = "VxUser"
install_dir = '<ProgramFiles>\VxUser'
pages = ["user_information", "destination", "summary"]
user_name = "required"
user_company = "shown"
shortcut_folder = 'C:\VxMenu'

[package.summary]
heading = "Summary"
required_space = "Needed:"
available_space = "Free:"
destination = "Folder:"
program_folder = "Menu:"

[registry.HKCU.'Software\VxUser']
values = [{ name = "Owner", data = "<UserName>|<UserCompany>" }]

[[files]]
source = "read.txt"
target = '<InstallDir>\read.txt'
)");
    const std::string elsewhere = "C:\\VxElsewhere";
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    User user(setup.process.dwProcessId);
    HWND userPage = waitForPage("VxUser");
    ASSERT_NE(userPage, nullptr);
    EXPECT_EQ(User::text(userPage, kHeading), "User Information");
    char loggedOn[256] = "";
    DWORD size = sizeof loggedOn;
    GetUserNameA(loggedOn, &size);
    EXPECT_EQ(User::text(userPage, kUserName), loggedOn);
    // The name is required: Next waits for it.
    SetDlgItemTextA(userPage, kUserName, "");
    EXPECT_TRUE(waitUntil([&] { return !IsWindowEnabled(GetDlgItem(userPage, IDOK)); }));
    SetDlgItemTextA(userPage, kUserName, "Ada Lovelace");
    SetDlgItemTextA(userPage, kCompany, "Analytical");
    ASSERT_TRUE(User::waitEnabled(userPage, IDOK));
    User::press(userPage, IDOK);

    HWND destination = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (destination = waitForPage("VxUser")) != userPage; }));
    EXPECT_EQ(User::text(destination, kHeading), "Destination Folder");
    EXPECT_EQ(User::text(destination, kFolder), programFiles() + "\\VxUser");
    EXPECT_EQ(User::text(destination, IDOK), "&Next >");
    EXPECT_EQ(User::text(destination, kSpace).rfind("Space required: 1 KB\r\nSpace available: ", 0),
              0u)
        << User::text(destination, kSpace);
    // A path without a drive is refused, and the page stays as it was.
    SetDlgItemTextA(destination, kFolder, "relative\\folder");
    User::press(destination, IDOK);
    HWND box = user.waitFor("VxUser Setup", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(User::messageText(box).find("full path"), std::string::npos);
    User::answer(box, IDOK);
    EXPECT_EQ(waitForPage("VxUser"), destination);

    // Back to the user page, the entries kept; then on with another folder.
    User::press(destination, kBack);
    ASSERT_TRUE(waitUntil([&] { return waitForPage("VxUser") == userPage; }));
    EXPECT_EQ(User::text(userPage, kUserName), "Ada Lovelace");
    User::press(userPage, IDOK);
    ASSERT_TRUE(waitUntil([&] { return waitForPage("VxUser") == destination; }));
    EXPECT_EQ(User::text(destination, kFolder), "relative\\folder");
    SetDlgItemTextA(destination, kFolder, elsewhere.c_str());
    User::press(destination, IDOK);
    // The summary of the choices, then the installation.
    HWND summary = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (summary = waitForPage("VxUser")) != destination; }));
    EXPECT_EQ(User::text(summary, IDOK), "&Install");
    std::string text = User::text(summary, 48);
    EXPECT_EQ(text.rfind("Summary\r\n=======\r\n\r\nNeeded: 1 KB\r\nFree: ", 0), 0u) << text;
    EXPECT_NE(text.find("\r\n\r\nFolder:\r\n" + elsewhere + "\r\n\r\nMenu:\r\nC:\\VxMenu"),
              std::string::npos)
        << text;
    User::press(summary, IDOK);
    EXPECT_EQ(setup.wait(), 1u);
    EXPECT_EQ(readAll(elsewhere + "\\read.txt"), "moved");
    DWORD type = 0;
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, "Software\\VxUser", "Owner", type),
              std::string("Ada Lovelace|Analytical") + '\0');
    EXPECT_EQ(uninstall("VxUser"), 1u);
    simulateRestart();
    EXPECT_FALSE(exists(elsewhere));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\VxUser"));
}

TEST(VxsetupFinish, TheRestartQuestionAndTheTickedItemOpenedAfterFinish) {
    constexpr int kRestartNow = 44, kRestartLater = 45, kOpenFirst = 46, kOpenSecond = 47;
    PackageMaker maker("finish");
    CopyFileA(kRecordArguments.c_str(), maker.file("run.exe", "").c_str(), FALSE);
    Package package = maker.build(R"(
[package]
product = "VxFinish"
install_dir = '<ProgramFiles>\VxFinish'
pages = ["finish"]
restart_needed = true
finish_text = "%s is ready."

[[package.after_install]]
path = '<InstallDir>\run.exe'
shown = true
[[package.after_install]]
path = '<InstallDir>\run.exe'
checked = true

[[files]]
source = "run.exe"
target = '<InstallDir>\run.exe'
)");
    const std::string dir = programFiles() + "\\VxFinish";
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    HWND page = waitForPage("VxFinish");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(User::text(page, kHeading), "Setup Complete");
    EXPECT_EQ(User::text(page, 30), "VxFinish is ready.");
    EXPECT_EQ(User::text(page, IDOK), "&Finish");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kBack)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDCANCEL)));
    // The restart is offered, "now" first, "later" allowed.
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, kRestartNow)));
    EXPECT_EQ(SendMessageA(GetDlgItem(page, kRestartNow), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, kRestartLater)));
    // The first item has its box (not ticked); the second has none and stays shut.
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, kOpenFirst)));
    EXPECT_EQ(User::text(page, kOpenFirst), "&Open the program now");
    EXPECT_EQ(SendMessageA(GetDlgItem(page, kOpenFirst), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, kOpenSecond)));
    EXPECT_TRUE(exists(dir + "\\run.exe"));  // installed before the page shows

    SendMessageA(GetDlgItem(page, kRestartNow), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(GetDlgItem(page, kRestartLater), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(GetDlgItem(page, kOpenFirst), BM_SETCHECK, BST_CHECKED, 0);
    User::press(page, IDOK);
    EXPECT_EQ(setup.wait(), 1u);
    std::string opened = dir + "\\arguments.txt";
    // The program may still hold its file open when it appears: gone only once deleted.
    EXPECT_TRUE(waitUntil([&] { return exists(opened) && DeleteFileA(opened.c_str()); }));
    EXPECT_EQ(uninstall("VxFinish"), 1u);
    simulateRestart();
    EXPECT_FALSE(exists(dir));
}

// Contavo Lite's own setup program and its update, as a user gets them: installed,
// used from its shortcut, updated and removed, with pictures of the Wine prefix
// around each run.
#include <windows.h>
// (after windows.h)
#include <objbase.h>
#include <prsht.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <functional>

#include "addressbook/ui/resource.h"
#include "tests/installer/setup/vxsetup_fixture.h"

using namespace vxsetup_testing;

namespace {

const std::string kPackages = windowsPath(CONTAVO_LITE_PACKAGES);
const char kProduct[] = "Contavo Lite";
const char kListKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Contavo Lite";

Package packageFile(const std::string& file) {
    return {kProduct, kPackages, kPackages + "\\" + file};
}

// A text value of the registry without its closing NUL.
std::string text(const char* key, const char* name) {
    DWORD type = 0;
    return stringValue(HKEY_LOCAL_MACHINE, key, name, type).c_str();
}

std::string listValue(const char* name) {
    return text(kListKey, name);
}

// What Wine's own list of installed programs shows, one "key|||name" line each.
std::string winesProgramList() {
    CreateDirectoryA(kWork.c_str(), nullptr);  // the first test may be the first to use it
    std::string out = kWork + "\\uninstaller-list.txt";
    launch("cmd.exe /c uninstaller.exe --list > \"" + out + "\"").wait();
    return readAll(out);
}

struct ShortcutTarget {
    std::string path, directory;
};

ShortcutTarget readShortcut(const std::string& file) {
    ShortcutTarget target;
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* persist = nullptr;
        std::wstring wide(file.begin(), file.end());
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
            if (SUCCEEDED(persist->Load(wide.c_str(), STGM_READ))) {
                char text[MAX_PATH] = "";
                link->GetPath(text, sizeof text, nullptr, 0);
                target.path = text;
                link->GetWorkingDirectory(text, sizeof text);
                target.directory = text;
            }
            persist->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return target;
}

// Starts the program the way its shortcut does, adds one entry and leaves by Exit,
// which saves the book.
void addAnEntryFromTheShortcut() {
    ShortcutTarget target = readShortcut(programsFolder() + "\\Contavo Lite\\Contavo Lite.lnk");
    ASSERT_EQ(target.path, programFiles() + "\\Contavo Lite\\ctlite.exe");
    ASSERT_EQ(target.directory, programFiles() + "\\Contavo Lite");
    Started program = launch("\"" + target.path + "\"", target.directory);
    User user(program.process.dwProcessId);
    HWND window = user.waitFor("Contavo Lite - " + target.directory + "\\data.dat");
    ASSERT_NE(window, nullptr);
    User::press(window, IDC_ADD);
    HWND sheet = user.waitFor("Edit Dialog");
    ASSERT_NE(sheet, nullptr);
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    SetDlgItemTextA(page, IDC_EDIT_FIRST, "Ann");
    SetDlgItemTextA(page, IDC_EDIT_LAST, "Lee");
    User::answer(sheet, IDOK);
    ASSERT_TRUE(waitUntil([&] { return User::rows(window, IDC_NAME_LIST).size() == 1; }));
    User::press(window, IDOK);  // Exit
    EXPECT_EQ(program.wait(), 0u);
}

// What stays after a silent removal, each the user's own (the pictures name paths
// in capitals): the book in the program's folder, which therefore stays too, and the
// settings the program itself made, which only an interactive removal offers to take.
const std::vector<std::string> kTheUsersOwn = {
    "PROGRAM FILES\\CONTAVO LITE\\ directory",  // the folder, kept for the book
    "PROGRAM FILES\\CONTAVO LITE\\DATA.DAT",    // the address book
    "C:\\WINDOWS\\CTLITE.INI",                  // window place and the program's settings
    "HKCU\\SOFTWARE\\CONTAVO LITE",             // the same in the registry
    "\\STARTUP\\CONTAVO LITE.LNK",              // the Settings window's start-up shortcut
};

// The book and the settings a user's Contavo Lite has: each file and key the
// program makes while it is used.
struct TheUsersOwn {
    const std::string folder = programFiles() + "\\Contavo Lite";
    const std::string book = folder + "\\data.dat";
    const std::string profile = windowsDirectory() + "\\ctlite.INI";
    const char* const key = "Software\\Contavo Lite";
    const std::string startupShortcut = startupFolder() + "\\Contavo Lite.lnk";

    static std::string startupFolder() {
        char folder[MAX_PATH] = "";
        SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, TRUE);
        return folder;
    }
    // What a while of use leaves (the shortcut as the Settings window would make it).
    void make() const {
        writeAll(book, "the user's book");
        WritePrivateProfileStringA("Contavo Lite", "width", "464", profile.c_str());
        setValue(HKEY_CURRENT_USER, key, "Version", 352);
        makeStartupShortcut();
    }
    void makeStartupShortcut() const { writeAll(startupShortcut, "shortcut"); }
    // Which of the settings are there: the profile, the key, the shortcut.
    std::vector<bool> settings() const {
        return {exists(profile), keyExists(HKEY_CURRENT_USER, key), exists(startupShortcut)};
    }
    // The next test starts from a machine that never had the product.
    void forget() const {
        DeleteFileA(book.c_str());
        RemoveDirectoryA(folder.c_str());
        DeleteFileA(profile.c_str());
        SHDeleteKeyA(HKEY_CURRENT_USER, key);
        DeleteFileA(startupShortcut.c_str());
    }
};
const std::vector<bool> kAllKept = {true, true, true}, kAllRemoved = {false, false, false};

// An interactive removal under way, from the uninstaller's confirmation to its
// closed window: Yes to the removal, `cleanupAnswer` to the clean-up question,
// whose text is checked. With `closeTheProgram`, Contavo Lite is running: the
// clean-up asks to close it first, which `closeTheProgram` does before Retry.
void answerTheRemoval(int cleanupAnswer, const std::function<void()>& closeTheProgram = {}) {
    HWND confirmation = waitForAnyWindow("Vortix Uninstaller", 0xFFFF);
    ASSERT_NE(confirmation, nullptr);
    DWORD uninstaller = 0;
    GetWindowThreadProcessId(confirmation, &uninstaller);
    User::answer(confirmation, IDYES);
    if (closeTheProgram) {
        HWND running = waitForAnyWindow("Remove Contavo Lite", 0xFFFF);
        ASSERT_NE(running, nullptr);
        EXPECT_EQ(User::messageText(running),
                  "Contavo Lite is running. Close it (File, Exit), then choose Retry.\n\n"
                  "Cancel stops the removal: nothing is removed.");
        closeTheProgram();
        User::answer(running, IDRETRY);
    }
    HWND question = waitForAnyWindow("Remove Contavo Lite", 0xFFFF);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(User::messageText(question),
              "Do you also want to remove Contavo Lite's own settings: the window place, the sort "
              "order and colours, and the e-mail server and sign-in (password included)?\n\n"
              "Your address book is not removed: data.dat stays where it is, in " +
                  programFiles() + "\\Contavo Lite.");
    User::answer(question, cleanupAnswer);
    HWND progress = User(uninstaller).waitFor("Vortix Uninstaller", 60, 1016);
    ASSERT_NE(progress, nullptr);
    ASSERT_TRUE(User::waitEnabled(progress, 1017, 60)) << "the removal did not finish";
    User::answer(progress, 1017);  // Close
}

// Every page as a user meets it, Next after Next with what each page offers, the
// finish page's box to start the program left unticked.
void walkEveryPage() {
    constexpr int kStartProgram = 46;
    HWND page = nullptr;
    for (const char* heading : {"Language", "Welcome", "Licence Agreement", "Destination Folder",
                                "Program Folder", "Ready to Install", "Setup Complete"}) {
        page = nextPage(kProduct, page);
        ASSERT_NE(page, nullptr) << heading;
        EXPECT_EQ(User::text(page, kHeading), heading);
        if (GetDlgItem(page, kStartProgram)) {
            EXPECT_EQ(SendDlgItemMessageA(page, kStartProgram, BM_GETCHECK, 0, 0), BST_CHECKED);
            SendDlgItemMessageA(page, kStartProgram, BM_SETCHECK, BST_UNCHECKED, 0);
        }
        User::press(page, IDOK);
    }
}

}  // namespace

TEST(ContavoLiteSetup, InstallUseUpdateAndRemoveLeaveOnlyWhatTheUserMade) {
    ASSERT_TRUE(exists(packageFile("ContavoLiteSetup.exe").setup))
        << "the build makes the setup program when scripts/build.sh configures CONTAVO_VXPACK";
    PrefixSnapshot before = takeSnapshot(kNotCompared);

    EXPECT_EQ(runSetup(packageFile("ContavoLiteSetup.exe")), 1u);
    EXPECT_EQ(listValue("DisplayName"), "Contavo Lite");
    EXPECT_EQ(listValue("DisplayVersion"), "1.0");
    const std::string uninstaller = "\"" + installedUninstaller(kProduct) + "\"";
    EXPECT_EQ(listValue("UninstallString"), uninstaller);
    EXPECT_EQ(listValue("QuietUninstallString"), uninstaller + " /SILENT");
    EXPECT_NE(winesProgramList().find("|||Contavo Lite"), std::string::npos);
    addAnEntryFromTheShortcut();
    TheUsersOwn own;
    own.makeStartupShortcut();
    ASSERT_EQ(own.settings(), kAllKept);

    EXPECT_EQ(runSetup(packageFile("ContavoLiteUpdate-1.1.exe")), 1u);
    EXPECT_EQ(text("Software\\Contavo Lite", "Version"), "1.1");
    EXPECT_EQ(listValue("DisplayVersion"), "1.1");

    // Silent: the clean-up program asks nothing (a question would hold the run up).
    EXPECT_EQ(uninstall(kProduct), 1u);
    simulateRestart();
    EXPECT_EQ(winesProgramList().find("Contavo Lite"), std::string::npos);
    EXPECT_TRUE(exists(own.book));
    EXPECT_EQ(own.settings(), kAllKept);
    expectNoDifferences(before, kTheUsersOwn);
    own.forget();
}

// The product's package built again on the test build of the setup program, which
// fails where a test asks it to: each failure rolls everything back.
TEST(ContavoLiteSetup, AFailureAtEachStepLeavesTheMachineAsItWas) {
    Package package{kProduct, kWork + "\\contavo-lite-faults", ""};
    package.setup = package.directory + "\\setup.exe";
    CreateDirectoryA(kWork.c_str(), nullptr);
    CreateDirectoryA(package.directory.c_str(), nullptr);
    Started packer =
        launch("\"" + kVxpack + "\" \"" + kPackages + "\\contavo-lite-1.0.toml\" --stub \"" +
                   kStub + "\" -o \"" + package.setup + "\"",
               kPackages);
    ASSERT_EQ(packer.wait(), 0u);

    // The steps that end a silent run (a file or shortcut that cannot be written is
    // skipped there, as its question's default answer says).
    const std::string steps[] = {
        "nowrite:" + programFiles() + "\\Contavo Lite",      // the program's files
        "key:HKEY_LOCAL_MACHINE\\Software\\Contavo Lite",    // the product's marker
        "key:HKEY_LOCAL_MACHINE\\" + std::string(kListKey),  // the list's entry
        "file:" + installedUninstaller(kProduct),            // the uninstaller
    };
    for (const std::string& faults : steps) {
        SCOPED_TRACE(faults);
        PrefixSnapshot before = takeSnapshot(kNotCompared);
        EXPECT_EQ(runSetup(package, "/SILENT", faults), 0u);
        expectNoDifferences(before, {});
        // Not rolled back: the next step starts from a clean machine all the same.
        if (exists(installedUninstaller(kProduct))) {
            uninstall(kProduct);
            simulateRestart();
        }
    }
}

// Every page of the package as a user meets it; then, the product used, the same
// package again over it, whose offer to remove it first is taken and the settings
// kept; then the removal from the installed uninstaller with the settings.
TEST(ContavoLiteSetup, EveryPageWalkedThroughThenInstalledAgainOverIt) {
    Started setup = launch("\"" + kPackages + "\\ContavoLiteSetup.exe\"", kPackages);
    EndsWithTheTest ending{setup};
    walkEveryPage();
    EXPECT_EQ(setup.wait(), 1u);
    EXPECT_TRUE(exists(programFiles() + "\\Contavo Lite\\ctlite.exe"));
    TheUsersOwn own;
    own.make();

    Started again = launch("\"" + kPackages + "\\ContavoLiteSetup.exe\"", kPackages);
    EndsWithTheTest endingAgain{again};
    HWND offer = User(again.process.dwProcessId).waitFor("Contavo Lite Setup", 60, 0xFFFF);
    ASSERT_NE(offer, nullptr);
    EXPECT_EQ(User::messageText(offer).rfind("Contavo Lite is already installed", 0), 0u);
    User::answer(offer, IDYES);
    answerTheRemoval(IDNO);
    walkEveryPage();
    EXPECT_EQ(again.wait(), 1u);
    EXPECT_TRUE(exists(programFiles() + "\\Contavo Lite\\ctlite.exe"));
    EXPECT_EQ(readAll(own.book), "the user's book");
    EXPECT_EQ(own.settings(), kAllKept);
    simulateRestart();  // the new uninstaller is not taken with the old one

    // Contavo Lite running (on a book of its own elsewhere) when the removal starts.
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    const std::string elsewhere = std::string(temp) + "ctlite-running";
    CreateDirectoryA(elsewhere.c_str(), nullptr);
    Started program = launch("\"" + programFiles() + "\\Contavo Lite\\ctlite.exe\"", elsewhere);
    HWND window =
        User(program.process.dwProcessId).waitFor("Contavo Lite - " + elsewhere + "\\data.dat");
    ASSERT_NE(window, nullptr);
    // A silent run's word inherited by the uninstaller does not silence the question.
    SetEnvironmentVariableA("VXUNINST_SILENT", "1");
    Started removal = launch("\"" + installedUninstaller(kProduct) + "\"", windowsDirectory());
    SetEnvironmentVariableA("VXUNINST_SILENT", nullptr);
    answerTheRemoval(IDYES, [&] {
        User::press(window, IDOK);  // Exit
        EXPECT_EQ(program.wait(), 0u);
    });
    DeleteFileA((elsewhere + "\\data.dat").c_str());
    RemoveDirectoryA(elsewhere.c_str());
    EXPECT_EQ(removal.wait(), 1u);
    simulateRestart();
    EXPECT_FALSE(exists(programFiles() + "\\Contavo Lite\\ctlite.exe"));
    EXPECT_EQ(readAll(own.book), "the user's book");
    EXPECT_EQ(own.settings(), kAllRemoved);
    own.forget();
}

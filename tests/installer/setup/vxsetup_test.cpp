// The setup program end to end under Wine: packages made by vxpack, installed
// silently (and once interactively), removed by the installed uninstaller, and
// aborted installations rolled back; the Wine prefix is compared before and after.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "tests/installer/setup/vxsetup_fixture.h"
#include "tests/support/jpeg_maker.h"

using namespace vxsetup_testing;

TEST(Vxsetup, SilentInstallThenTheUninstallerLeavesThePrefixAsItWas) {
    PackageMaker maker("full");
    maker.file("readme.txt", "Read me.\r\n");
    std::string big;
    for (int i = 0; i < 20000; ++i)
        big += "row " + std::to_string(i) + "\r\n";
    maker.file("big.txt", big);
    maker.file("stored.bin", std::string("\x00\x01\x02\xfe\xff", 5));
    maker.file("empty.txt", "");
    maker.file("locked.txt", "new contents");
    maker.file("external.dat", "beside the setup program");
    std::string dir = programFiles() + "\\VxTest";
    std::string edited = "C:\\vxtest-edit.txt";
    writeAll(edited, "line one\r\nline two\r\n");
    // A file that is in use while the installation runs.
    CreateDirectoryA(dir.c_str(), nullptr);
    writeAll(dir + "\\locked.txt", "old contents");
    PrefixSnapshot before = takeSnapshot(kNotCompared);

    Package package = maker.build(R"(
[package]
product = "VxTest"
install_dir = '<ProgramFiles>\VxTest'
shortcut_folder = "VxTest"
uninstall_shortcut = true

[registry.HKCU.'Software\VxTest']
values = [
  { name = "Path", data = '<InstallDir>' },
  { name = "Count", type = "dword", data = 42 },
  { name = "Bytes", type = "binary", data = "0a 0b ff" },
  { name = "List", type = "multi_string", data = ["one", "two"] },
]
[registry.HKLM.'Software\VxTest'.subkeys.Deeper]
values = [{ name = "Here", data = "yes" }]

[[ini]]
file = '<WindowsDir>\vxtest.ini'
section = "Settings"
key = "Folder"
value = '<InstallDir>'

[[text_edits]]
mode = "insert_after_anchor"
file = 'C:\vxtest-edit.txt'
anchor = "line one"
text = "inserted"

[[shortcuts]]
target = '<InstallDir>\readme.txt'
file = '<ShortcutDir>\Read Me.lnk'
working_dir = '<InstallDir>'

[[files]]
source = "readme.txt"
target = '<InstallDir>\\readme.txt'
[[files]]
source = "big.txt"
target = '<InstallDir>\data\big.txt'
attributes = ["read_only"]
[[files]]
source = "stored.bin"
target = '<InstallDir>\data\stored.bin'
storage = "stored"
[[files]]
source = "empty.txt"
target = '<InstallDir>\empty.txt'
[[files]]
source = "locked.txt"
target = '<InstallDir>\locked.txt'
[[files]]
source = "external.dat"
target = '<InstallDir>\external.dat'
storage = "external"
[[files]]
source = "readme.txt"
target = '<SystemDir>\vxtest-shared.txt'
shared = true
)");
    // Wine has no files that are in use the way a running program is (renamed but
    // neither deleted nor opened): the setup program is told this one is.
    EXPECT_EQ(runSetup(package, "/SILENT", "inuse:" + dir + "\\locked.txt"), 1u);

    EXPECT_EQ(readAll(dir + "\\readme.txt"), "Read me.\r\n");
    EXPECT_EQ(readAll(dir + "\\data\\big.txt"), big);
    EXPECT_TRUE(GetFileAttributesA((dir + "\\data\\big.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(readAll(dir + "\\data\\stored.bin"), std::string("\x00\x01\x02\xfe\xff", 5));
    EXPECT_TRUE(exists(dir + "\\empty.txt"));
    EXPECT_EQ(readAll(dir + "\\empty.txt"), "");
    EXPECT_EQ(readAll(dir + "\\external.dat"), "beside the setup program");
    // The file in use was moved aside and waits for the next restart.
    EXPECT_EQ(readAll(dir + "\\locked.txt"), "new contents");
    EXPECT_EQ(readAll(dir + "\\locked.txt.delete_on_reboot0"), "old contents");
    bool aside = false;
    for (const std::string& pending : pendingRenames())
        aside |= pending.find("locked.txt.delete_on_reboot0") != std::string::npos;
    EXPECT_TRUE(aside);
    std::string sharedPath = windowsDirectory() + "\\system32\\vxtest-shared.txt";
    EXPECT_EQ(dwordValue(HKEY_LOCAL_MACHINE,
                         "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", sharedPath),
              std::optional<DWORD>(1));

    DWORD type = 0;
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, "Software\\VxTest", "Path", type), dir + '\0');
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(dwordValue(HKEY_CURRENT_USER, "Software\\VxTest", "Count"), std::optional<DWORD>(42));
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, "Software\\VxTest", "Bytes", type), "\x0a\x0b\xff");
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, "Software\\VxTest", "List", type),
              std::string("one\0two\0\0", 9));
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(stringValue(HKEY_LOCAL_MACHINE, "Software\\VxTest\\Deeper", "Here", type),
              std::string("yes\0", 4));
    char folder[MAX_PATH] = "";
    GetPrivateProfileStringA("Settings", "Folder", "", folder, sizeof folder, "vxtest.ini");
    EXPECT_EQ(folder, dir);
    EXPECT_EQ(readAll(edited), "line one\r\ninserted\r\nline two\r\n");
    std::string uninstaller = installedUninstaller("VxTest");
    ASSERT_TRUE(exists(uninstaller));
    // The program folder named by the package lies under the Programs folder.
    EXPECT_TRUE(exists(programsFolder() + "\\VxTest\\Read Me.lnk"));
    EXPECT_TRUE(exists(programsFolder() + "\\VxTest\\Uninstall VxTest.lnk"));

    // The installed uninstaller removes it all; the restart takes the old copy of
    // the file that was in use, and the uninstaller itself.
    EXPECT_EQ(uninstall("VxTest"), 1u);
    simulateRestart();
    expectNoDifferences(before, {
                                    // INI entries and text-file edits are not logged for
                                    // removal: they stay as the installation left them.
                                    "C:\\WINDOWS\\VXTEST.INI",
                                    "C:\\VXTEST-EDIT.TXT",
                                    // The file the installation replaced while it was in use
                                    // stays replaced (its old copy went at the restart).
                                    "\\VXTEST\\LOCKED.TXT",
                                });
    DeleteFileA(edited.c_str());
    DeleteFileA((windowsDirectory() + "\\vxtest.ini").c_str());
    SetFileAttributesA((dir + "\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA((dir + "\\locked.txt").c_str());
    RemoveDirectoryA(dir.c_str());
}

TEST(Vxsetup, ProgramWithoutAPackageSaysSoAndEnds) {
    CreateDirectoryA(kWork.c_str(), nullptr);
    std::string bare = kWork + "\\bare-setup.exe";
    ASSERT_TRUE(CopyFileA(kStub.c_str(), bare.c_str(), FALSE));
    Started setup = launch("\"" + bare + "\"", kWork);
    User user(setup.process.dwProcessId);
    HWND box = user.waitFor("Vortix Installer");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              "File size mismatch: This file is corrupted; If you downloaded this file from the "
              "internet, try downloading it again");
    User::answer(box, IDOK);
    box = user.waitFor("Vortix Installer");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "Couldn't read TOC. Aborting.");
    User::answer(box, IDOK);
    EXPECT_EQ(setup.wait(), 0u);
    // Silent: nothing shown, the same end.
    EXPECT_EQ(launch("\"" + bare + "\" /silent", kWork).wait(), 0u);
}

namespace {

struct ForcedFailure {
    const char* name;
    std::string faults;        // VXSETUP_FAULTS
    const char* pluginResult;  // VX_PLUGIN_RESULT_EntryPoint11, or null
};

// A package whose installation fails on purpose at one step, after it has already
// made files, directories, keys and values, and replaced files that were there.
Package rollbackPackage(const std::string& name, bool withPlugin, bool backup = false) {
    PackageMaker maker(name);
    maker.file("one.txt", "first file");
    maker.file("two.txt", "second file");
    std::string description = R"(
[package]
product = "VxRoll"
install_dir = '<ProgramFiles>\VxRoll'
shortcut_folder = '<ProgramsDir>\VxRoll'
backup = )" + std::string(backup ? "true" : "false") +
                              R"(

[registry.HKCU.'Software\VxRoll']
values = [{ name = "Made", data = "yes" }]
[registry.HKCU.'Software\VxRoll'.subkeys.Broken]
values = [{ name = "Never", data = "no" }]

[[shortcuts]]
target = '<InstallDir>\one.txt'
file = '<ShortcutDir>\One.lnk'

[[files]]
source = "one.txt"
target = '<InstallDir>\one.txt'
attributes = ["read_only"]
[[files]]
source = "two.txt"
target = '<InstallDir>\other\one.txt'
[[files]]
source = "two.txt"
target = '<InstallDir>\locked\deeper\two.txt'
[[files]]
source = "one.txt"
target = '<SystemDir>\vxroll-shared.txt'
shared = true
)";
    return maker.build(description, withPlugin ? "plugin_library = '" + kPluginDouble + "'" : "");
}

}  // namespace

class VxsetupRollback : public testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(VxsetupRollback, AnAbortedInstallationOverFilesThatWereThereLeavesThePrefixAsItWas) {
    std::string dir = programFiles() + "\\VxRoll";
    std::string uninstaller = installedUninstaller("VxRoll");
    const ForcedFailure failures[] = {
        {"key", "key:HKEY_CURRENT_USER\\Software\\VxRoll\\Broken", nullptr},
        {"nowrite", "nowrite:" + dir + "\\locked\\deeper", nullptr},
        {"uninstaller", "file:" + uninstaller, nullptr},
        {"plugin", "", "3"},
    };
    const ForcedFailure& failure = failures[std::get<0>(GetParam())];
    const bool backup = std::get<1>(GetParam());
    Package package =
        rollbackPackage(std::string("roll-") + failure.name + (backup ? "-backup" : ""),
                        failure.pluginResult != nullptr, backup);
    // Two files of the same name that the installation replaces (one read-only).
    CreateDirectoryA(dir.c_str(), nullptr);
    CreateDirectoryA((dir + "\\other").c_str(), nullptr);
    writeAll(dir + "\\one.txt", "the user's own one");
    SetFileAttributesA((dir + "\\one.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    writeAll(dir + "\\other\\one.txt", "the user's other one");
    PrefixSnapshot before = takeSnapshot(kNotCompared);
    std::string log = package.directory + "\\plugin.log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("VX_DOUBLE_LOG", log.c_str());
    SetEnvironmentVariableA("VX_PLUGIN_RESULT_EntryPoint11", failure.pluginResult);
    EXPECT_EQ(runSetup(package, "/SILENT", failure.faults), 0u);
    SetEnvironmentVariableA("VX_PLUGIN_RESULT_EntryPoint11", nullptr);
    SetEnvironmentVariableA("VX_DOUBLE_LOG", nullptr);
    if (failure.pluginResult) {
        // The stage after the installation refused, once everything was installed.
        // A silent run has no wizard: the stages before the installation never ran.
        std::string calls = readAll(log);
        EXPECT_NE(calls.find("AdvancedEntry"), std::string::npos) << calls;
        EXPECT_NE(calls.find("EntryPoint11"), std::string::npos) << calls;
        EXPECT_EQ(calls.find("EntryPoint10"), std::string::npos) << calls;
        EXPECT_EQ(calls.find("EntryPoint12"), std::string::npos) << calls;
    }
    expectNoDifferences(before, {});
    EXPECT_EQ(readAll(dir + "\\one.txt"), "the user's own one");
    EXPECT_EQ(readAll(dir + "\\other\\one.txt"), "the user's other one");
    EXPECT_FALSE(exists(uninstaller));
    SetFileAttributesA((dir + "\\one.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA((dir + "\\one.txt").c_str());
    DeleteFileA((dir + "\\other\\one.txt").c_str());
    RemoveDirectoryA((dir + "\\other").c_str());
    RemoveDirectoryA(dir.c_str());
}

INSTANTIATE_TEST_SUITE_P(EachForcedFailureWithAndWithoutBackup, VxsetupRollback,
                         testing::Combine(testing::Range(0, 4), testing::Bool()));

TEST(Vxsetup, TheRollbackPackageInstallsWhenNothingFails) {
    // The counterpart of the forced failures: the same package goes all the way.
    Package package = rollbackPackage("roll-none", true);
    PrefixSnapshot before = takeSnapshot(kNotCompared);
    std::string dir = programFiles() + "\\VxRoll";
    EXPECT_EQ(runSetup(package), 1u);
    EXPECT_EQ(readAll(dir + "\\locked\\deeper\\two.txt"), "second file");
    EXPECT_TRUE(valueExists(HKEY_CURRENT_USER, "Software\\VxRoll\\Broken", "Never"));
    EXPECT_EQ(uninstall("VxRoll"), 1u);
    simulateRestart();
    expectNoDifferences(before, {});
}

TEST(Vxsetup, ExistingFilesAreKeptOrReplacedByModeAndSharedFilesCountTwice) {
    std::string dir = programFiles() + "\\VxOver";
    CreateDirectoryA(dir.c_str(), nullptr);
    // The same version as the packaged program: mode 4 keeps it.
    ASSERT_TRUE(CopyFileA(kVersioned.c_str(), (dir + "\\same.exe").c_str(), FALSE));
    writeAll(dir + "\\plain.txt", "the user's own text");
    std::string shared = windowsDirectory() + "\\system32\\vxover-shared.txt";
    auto make = [&](const std::string& name, const std::string& product) {
        PackageMaker maker(name);
        maker.file("plain.txt", "packaged text");
        return maker.build(R"(
[package]
product = ")" + product + R"("
install_dir = '<ProgramFiles>\VxOver'
overwrite = "older"

[[files]]
source = ')" + kVersioned + R"('
target = '<InstallDir>\same.exe'
compare_versions = true
[[files]]
source = ')" + kVersioned + R"('
target = '<InstallDir>\new.exe'
compare_versions = true
[[files]]
source = "plain.txt"
target = '<InstallDir>\plain.txt'
[[files]]
source = "plain.txt"
target = '<SystemDir>\vxover-shared.txt'
shared = true
)");
    };
    Package first = make("over-a", "VxOverA");
    Package second = make("over-b", "VxOverB");
    std::string sameBefore = readAll(dir + "\\same.exe");
    FILETIME stamp{};
    HANDLE h = CreateFileA((dir + "\\same.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    GetFileTime(h, nullptr, nullptr, &stamp);
    CloseHandle(h);

    EXPECT_EQ(runSetup(first), 1u);
    EXPECT_EQ(runSetup(second), 1u);
    EXPECT_EQ(dwordValue(HKEY_LOCAL_MACHINE,
                         "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", shared),
              std::optional<DWORD>(2));
    EXPECT_EQ(readAll(dir + "\\plain.txt"), "packaged text");
    EXPECT_TRUE(exists(dir + "\\new.exe"));
    FILETIME after{};
    h = CreateFileA((dir + "\\same.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    GetFileTime(h, nullptr, nullptr, &after);
    CloseHandle(h);
    EXPECT_EQ(CompareFileTime(&stamp, &after), 0) << "same.exe was written again";

    // Removing the first package: the new file goes, files that were there before stay,
    // and the shared file stays for the second package.
    EXPECT_EQ(uninstall("VxOverA"), 1u);
    EXPECT_FALSE(exists(dir + "\\new.exe"));
    EXPECT_EQ(readAll(dir + "\\same.exe"), sameBefore);
    EXPECT_EQ(readAll(dir + "\\plain.txt"), "packaged text");
    EXPECT_TRUE(exists(shared));
    EXPECT_EQ(dwordValue(HKEY_LOCAL_MACHINE,
                         "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", shared),
              std::optional<DWORD>(1));
    EXPECT_EQ(uninstall("VxOverB"), 1u);
    simulateRestart();
    for (const char* name : {"\\same.exe", "\\plain.txt"}) {
        SetFileAttributesA((dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA((dir + name).c_str());
    }
    SetFileAttributesA(shared.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(shared.c_str());
    RemoveDirectoryA(dir.c_str());
}

TEST(Vxsetup, InteractiveRunShowsItsWindowAndASecondCopyBringsItForward) {
    PackageMaker maker("interactive");
    maker.file("control.ocx", "not a library at all");
    maker.file("tune.mp3", std::string(2048, '\x33'));
    Package package = maker.build(R"(
[package]
product = "VxInter"
install_dir = '<ProgramFiles>\VxInter'

[[files]]
source = "control.ocx"
target = '<InstallDir>\control.ocx'
register = true
)",
                                  "mp3_library = '" + kMp3Double + "'\nmusic = 'tune.mp3'");
    std::string log = package.directory + "\\doubles.log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("VX_DOUBLE_LOG", log.c_str());
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    SetEnvironmentVariableA("VX_DOUBLE_LOG", nullptr);
    User user(setup.process.dwProcessId);
    // The registration fails after the files: the question waits for the user, over
    // the setup program's own window.
    HWND box = user.waitFor("VxInter Setup", 60, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              "Registration of some ActiveX controls failed. Installation will finish but the "
              "application may not work properly.");
    // The title comes from the language set, no longer the package's own.
    HWND window = FindWindowA("VortixInstaller", "VxInter Setup");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(FindWindowA("VortixInstaller", "VxInter"), nullptr);
    EXPECT_NE(FindWindowExA(window, nullptr, "VIDialogTemplate", nullptr), nullptr);

    // A second copy finds the first by its published window and restores it.
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(waitUntil([&] { return IsIconic(window) != FALSE; }));
    Started second = launch("\"" + package.setup + "\"", package.directory);
    EXPECT_EQ(second.wait(30000), 0u);
    TerminateProcess(second.process.hProcess, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsIconic(window); }));
    User::answer(box, IDOK);
    EXPECT_EQ(setup.wait(), 1u);
    EXPECT_EQ(readAll(programFiles() + "\\VxInter\\control.ocx"), "not a library at all");
    // The start-up music played on channel 0 from the start and stopped at the end.
    std::string calls = readAll(log);
    std::size_t at = 0;
    for (const char* call : {"MP3Init 0 -> 1", "MP3SetPriority 0 1", "MP3SetDevice 0 0",
                             "MP3Open 0 \"", "MP3Play 0 0 0", "MP3Stop 0", "MP3Close 0"}) {
        at = calls.find(call, at);
        EXPECT_NE(at, std::string::npos) << call << " missing or out of order:\n" << calls;
        if (at == std::string::npos)
            break;
    }
    EXPECT_EQ(uninstall("VxInter"), 1u);
    simulateRestart();
    EXPECT_FALSE(exists(programFiles() + "\\VxInter"));
}

TEST(Vxsetup, AddOnLibrariesDecodeMusicConvertPicturesAndSeeEveryStage) {
    PackageMaker maker("addons");
    maker.file("song.mp3", std::string(4096, '\x55'));
    maker.file("photo.jpg", makeJpeg(32, 16, JpegKind::Rgb,
                                     [](int x, int y, int c) { return (x + y + c) * 4; }));
    Package package = maker.build(R"(
[package]
product = "VxAddOns"
install_dir = '<ProgramFiles>\VxAddOns'
decode_mp3 = true
convert_jpeg = true

[[files]]
source = "song.mp3"
target = '<InstallDir>\song.mp3'
[[files]]
source = "photo.jpg"
target = '<InstallDir>\photo.jpg'
)",
                                  "mp3_library = '" + kMp3Double + "'\njpeg_library = '" +
                                      kJpegLibrary + "'\nplugin_library = '" + kPluginDouble +
                                      "'\ndialog_picture = 'photo.jpg'\npictures = ['photo.jpg']");
    PrefixSnapshot before = takeSnapshot(kNotCompared);
    std::string log = package.directory + "\\doubles.log";
    DeleteFileA(log.c_str());
    std::string dir = programFiles() + "\\VxAddOns";
    SetEnvironmentVariableA("VX_DOUBLE_LOG", log.c_str());
    // The plug-in makes a folder of its own after the installation and asks for a
    // variable, through the program's table of calls.
    std::string pluginCalls =
        "createDirectory|" + dir + "\\plugin\\made;getVariable|<InstallDir>;setVariable|<Count>|7";
    SetEnvironmentVariableA("VX_PLUGIN_CALLS_EntryPoint12", pluginCalls.c_str());
    EXPECT_EQ(runSetup(package), 1u);
    SetEnvironmentVariableA("VX_PLUGIN_CALLS_EntryPoint12", nullptr);
    SetEnvironmentVariableA("VX_DOUBLE_LOG", nullptr);
    EXPECT_TRUE(exists(dir + "\\plugin\\made"));

    // The music became a wave file and the picture a bitmap; the originals are gone.
    EXPECT_FALSE(exists(dir + "\\song.mp3"));
    EXPECT_EQ(readAll(dir + "\\song.wav").substr(0, 4), "RIFF");
    EXPECT_FALSE(exists(dir + "\\photo.jpg"));
    EXPECT_EQ(readAll(dir + "\\photo.BMP").substr(0, 2), "BM");
    std::string calls = readAll(log);
    std::vector<std::string> expected = {"MP3Init",      "MP3SetExternalValues", "MP3SetDevice",
                                         "MP3Open",      "MP3SetPriority",       "MP3Play",
                                         "MP3Stop",      "AdvancedEntry",        "EntryPoint11",
                                         "EntryPoint12", "EntryPoint13"};
    for (const std::string& name : expected)
        EXPECT_NE(calls.find(name + " "), std::string::npos) << name << " not called:\n" << calls;
    // A silent run has no wizard: it installs straight through, and only the stages
    // from the installation on run (their entry points 11 to 13). Nor has it a window
    // to hand to EntryPoint0.
    std::vector<std::string> wizard = {"EntryPoint0", "EntryPoint1_5"};
    for (int n = 1; n <= 10; ++n)
        wizard.push_back("EntryPoint" + std::to_string(n));
    for (const std::string& name : wizard)
        EXPECT_EQ(calls.find(name + " "), std::string::npos) << name << " called:\n" << calls;
    EXPECT_NE(calls.find(dir), std::string::npos) << "<InstallDir> not answered:\n" << calls;

    // The pictures the program itself converted were temporary files: none is left (the
    // comparison below covers the temporary folder too). Both converted files of the
    // installation are its own: the uninstaller takes them.
    EXPECT_EQ(uninstall("VxAddOns"), 1u);
    simulateRestart();
    expectNoDifferences(before, {});
}

TEST(Vxsetup, FilesSpreadOverVolumesBesideTheProgramInstall) {
    PackageMaker maker("volumes");
    std::string big;
    for (int i = 0; i < 3000; ++i)
        big += std::to_string(i * 7919 % 10007) + " ";
    maker.file("big.txt", big);
    maker.file("small.txt", "small");
    Package package = maker.build(R"(
[package]
product = "VxVolumes"
install_dir = '<ProgramFiles>\VxVolumes'
volume_size = 4096

[[files]]
source = "big.txt"
target = '<InstallDir>\big.txt'
storage = "stored"
[[files]]
source = "small.txt"
target = '<InstallDir>\small.txt'
)");
    std::string second = package.directory + "\\Vortix Installer package #2";
    ASSERT_TRUE(exists(package.directory + "\\Vortix Installer package #1"));
    ASSERT_TRUE(exists(second));
    EXPECT_EQ(runSetup(package), 1u);
    std::string dir = programFiles() + "\\VxVolumes";
    EXPECT_EQ(readAll(dir + "\\big.txt"), big);
    EXPECT_EQ(readAll(dir + "\\small.txt"), "small");
    EXPECT_EQ(uninstall("VxVolumes"), 1u);
    simulateRestart();
    EXPECT_FALSE(exists(dir));

    // Without its last volume the package is refused before anything is installed.
    ASSERT_TRUE(DeleteFileA(second.c_str()));
    EXPECT_EQ(runSetup(package), 0u);
    EXPECT_FALSE(exists(dir));
}

namespace {

struct ModeCase {
    int mode;
    const char* packagedVersion;  // the existing file carries 1.2.3.4
    bool overwritten;             // in a silent run, where every question is answered Yes (keep)
};

}  // namespace

class VxsetupOverwriteMode : public testing::TestWithParam<ModeCase> {};

TEST_P(VxsetupOverwriteMode, SilentRunsKeepOrReplaceAsTheModeSays) {
    const ModeCase& c = GetParam();
    std::string product = "VxMode" + std::to_string(c.mode) + "v" + c.packagedVersion;
    for (char& ch : product)
        if (ch == '.')
            ch = '_';
    std::string dir = programFiles() + "\\" + product;
    CreateDirectoryA(dir.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(kVersioned.c_str(), (dir + "\\program.exe").c_str(), FALSE));
    PackageMaker maker(product);
    maker.file("program.exe", "the packaged program");
    Package package = maker.build(R"(
[package]
product = ")" + product + R"("
install_dir = '<ProgramFiles>\)" + product +
                                  R"('
overwrite = )" + std::to_string(c.mode) +
                                  R"(

[[files]]
source = "program.exe"
target = '<InstallDir>\program.exe'
compare_versions = true
version = ")" + c.packagedVersion +
                                  R"("
)");
    EXPECT_EQ(runSetup(package), 1u);
    bool replaced = readAll(dir + "\\program.exe") == "the packaged program";
    EXPECT_EQ(replaced, c.overwritten) << "mode " << c.mode << ", packaged " << c.packagedVersion;
    EXPECT_EQ(uninstall(product), 1u);
    simulateRestart();
    // The file was there before: whatever became of it, the uninstaller leaves it.
    EXPECT_TRUE(exists(dir + "\\program.exe"));
    SetFileAttributesA((dir + "\\program.exe").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA((dir + "\\program.exe").c_str());
    RemoveDirectoryA(dir.c_str());
}

// Every mode's decision is the overwrite table's, tested natively; here the two
// that read the installed file's real version resource, once each way.
INSTANTIATE_TEST_SUITE_P(VersionedModes, VxsetupOverwriteMode,
                         testing::Values(ModeCase{4, "2.0.0.0", true},
                                         ModeCase{6, "1.0.0.0", false}));

namespace {

// The bytes of the setup program, with `change` made to them.
void patchFile(const std::string& path, const std::function<void(std::string&)>& change) {
    std::string bytes = readAll(path);
    change(bytes);
    writeAll(path, bytes);
}

std::uint32_t littleEndianAt(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

void deleteAll(const std::vector<std::string>& files, const std::vector<std::string>& folders) {
    for (const std::string& file : files) {
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file.c_str());
    }
    for (const std::string& folder : folders)
        RemoveDirectoryA(folder.c_str());
}

}  // namespace

TEST(Vxsetup, SharedFileThatWasThereWithoutACountOutlivesInstallUninstallAndRollback) {
    std::string shared = windowsDirectory() + "\\system32\\vxshare-theirs.dll";
    auto make = [](const std::string& name, const std::string& product) {
        PackageMaker maker(name);
        maker.file("theirs.dll", "our copy");
        return maker.build(R"(
[package]
product = ")" + product + R"("
install_dir = '<ProgramFiles>\)" +
                           product + R"('

[registry.HKCU.'Software\)" +
                           product + R"(']
values = [{ name = "Made", data = "yes" }]

[[files]]
source = "theirs.dll"
target = '<SystemDir>\vxshare-theirs.dll'
shared = true
)");
    };
    Package installed = make("share-install", "VxShareA");
    Package aborted = make("share-abort", "VxShareB");
    for (Package* package : {&installed, &aborted}) {
        SCOPED_TRACE(package->name);
        writeAll(shared, "another program's copy");
        if (package == &installed) {
            // Counted as one user already: this installation makes two, and its
            // removal leaves the file, without a count as it was found.
            EXPECT_EQ(runSetup(*package), 1u);
            EXPECT_EQ(dwordValue(HKEY_LOCAL_MACHINE, kSharedDlls, shared), std::optional<DWORD>(2));
            EXPECT_EQ(uninstall("VxShareA"), 1u);
            simulateRestart();
        } else {
            // Rolled back: the file comes back as it was.
            EXPECT_EQ(runSetup(*package, "/SILENT", "key:HKEY_CURRENT_USER\\Software\\VxShareB"),
                      0u);
            EXPECT_EQ(readAll(shared), "another program's copy");
        }
        EXPECT_TRUE(exists(shared));
        EXPECT_EQ(dwordValue(HKEY_LOCAL_MACHINE, kSharedDlls, shared), std::nullopt);
    }
    deleteAll({shared}, {});
}

TEST(Vxsetup, DamagedMemberOverAnExistingFileKeepsItAndSaysSo) {
    std::string dir = programFiles() + "\\VxDamaged";
    PackageMaker maker("damaged");
    // Bytes that do not compress, so that a changed byte lies in the data itself.
    std::string noise;
    std::uint32_t state = 12345;
    for (int i = 0; i < 4000; ++i) {
        state = state * 1103515245u + 12345u;
        noise.push_back(static_cast<char>(state >> 24));
    }
    maker.file("data.bin", noise);
    Package package = maker.build(R"(
[package]
product = "VxDamaged"
install_dir = '<ProgramFiles>\VxDamaged'
volume_size = 65536

[[files]]
source = "data.bin"
target = '<InstallDir>\data.bin'
)");
    // The file's data lies in a further volume, which the program file's check value
    // does not cover (a volume carries its build's mark only): a byte changed there
    // is found when the member is decompressed.
    patchFile(package.directory + "\\Vortix Installer package #1", [](std::string& bytes) {
        std::size_t member = bytes.rfind(std::string("\x1f\x8b\x08", 3));
        ASSERT_NE(member, std::string::npos);
        bytes[member + 2000] ^= 0x5A;
    });
    CreateDirectoryA(dir.c_str(), nullptr);
    writeAll(dir + "\\data.bin", "the user's data");
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    User user(setup.process.dwProcessId);
    HWND box = user.waitFor("VxDamaged Setup", 60, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "Couldn't write " + dir +
                                          "\\data.bin - the file that was there is kept, "
                                          "skipping file");
    // The cut-off file is gone by the time the user is told (the run may end there).
    auto expectNoPartFile = [&] {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((dir + "\\*.vxnew*").c_str(), &found);
        EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a part file was left: " << found.cFileName;
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
    };
    expectNoPartFile();
    User::answer(box, IDOK);
    EXPECT_EQ(setup.wait(), 1u);
    EXPECT_EQ(readAll(dir + "\\data.bin"), "the user's data");
    expectNoPartFile();
    EXPECT_EQ(uninstall("VxDamaged"), 1u);
    simulateRestart();
    EXPECT_EQ(readAll(dir + "\\data.bin"), "the user's data");
    deleteAll({dir + "\\data.bin"}, {dir});
}

TEST(Vxsetup, ADamagedPackageIsRefusedBeforeAnythingIsShownOrWritten) {
    PackageMaker maker("refused");
    maker.file("a.txt", std::string(5000, 'a'));
    Package package = maker.build(R"(
[package]
product = "VxRefused"
install_dir = '<ProgramFiles>\VxRefused'

[[files]]
source = "a.txt"
target = '<InstallDir>\a.txt'
)");
    // One byte of the file's data, which lies in the program file.
    patchFile(package.setup, [](std::string& bytes) {
        std::size_t member = bytes.rfind(std::string("\x1f\x8b\x08", 3));
        ASSERT_NE(member, std::string::npos);
        bytes[member + 12] ^= 0x01;
    });
    std::string dir = programFiles() + "\\VxRefused";
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    EndsWithTheTest ending{setup};
    User user(setup.process.dwProcessId);
    HWND box = user.waitFor("Vortix Installer");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              "This setup program is damaged, or its package was made by another build of "
              "Vortix Installer: its contents do not match their check value, and nothing has "
              "been installed. If you downloaded this file from the internet, try downloading "
              "it again.");
    EXPECT_EQ(findSetupWindow("VxRefused"), nullptr);
    User::answer(box, IDOK);
    EXPECT_EQ(setup.wait(), 0u);
    // Silent: nothing shown, the same end.
    EXPECT_EQ(runSetup(package), 0u);
    EXPECT_FALSE(exists(dir));
    EXPECT_FALSE(exists(installedUninstaller("VxRefused")));
}

namespace {

// The libraries a program imports at load time, from its import table, upper-cased.
std::vector<std::string> importedLibraries(const std::string& program) {
    std::vector<std::string> names;
    HMODULE image = LoadLibraryExA(program.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!image)
        return names;
    auto base = reinterpret_cast<const BYTE*>(image);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         imports.VirtualAddress && entry->Name; ++entry) {
        std::string name = reinterpret_cast<const char*>(base + entry->Name);
        for (char& c : name)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        names.push_back(name);
    }
    FreeLibrary(image);
    return names;
}

std::string manifestOf(const std::string& program) {
    HMODULE image = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!image)
        return {};
    std::string text;
    if (HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
        HGLOBAL loaded = LoadResource(image, found);
        text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(image, found));
    }
    FreeLibrary(image);
    return text;
}

}  // namespace

// Both programs run elevated from folders anyone can write to (a downloads folder; the
// temporary folder during a rollback). A library they import at load time that is not
// one of the system's known libraries would be taken from beside them. Under Wine a
// planted library cannot be told apart this way (Wine's own user32 imports
// version.dll), so the import tables themselves are checked.
TEST(Vxsetup, NeitherProgramImportsALibraryThatCouldBePlantedBesideIt) {
    // The system's known libraries, and the common controls, which the manifest
    // takes from the system's side-by-side store.
    const std::vector<std::string> system = {"ADVAPI32.DLL", "COMCTL32.DLL", "GDI32.DLL",
                                             "KERNEL32.DLL", "MSVCRT.DLL",   "OLE32.DLL",
                                             "SHELL32.DLL",  "USER32.DLL",   "SHLWAPI.DLL"};
    for (const std::string& program : {kProductStub, kStub, kUninstaller}) {
        SCOPED_TRACE(program);
        std::vector<std::string> imported = importedLibraries(program);
        EXPECT_FALSE(imported.empty());
        for (const std::string& name : imported)
            EXPECT_NE(std::find(system.begin(), system.end(), name), system.end()) << name;
        std::string manifest = manifestOf(program);
        EXPECT_NE(manifest.find("requireAdministrator"), std::string::npos) << manifest;
        EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos)
            << manifest;
    }
}

TEST(Vxsetup, TheProductIgnoresTestFaultsAndRefusesALaterPackageFormatByVersion) {
    PackageMaker maker("product", kProductStub);
    maker.file("a.txt", "a");
    Package package = maker.build(R"(
[package]
product = "VxProduct"
install_dir = '<ProgramFiles>\VxProduct'

[[files]]
source = "a.txt"
target = '<InstallDir>\a.txt'
)");
    std::string dir = programFiles() + "\\VxProduct";
    // The test build would find the folder refusing writes and abort.
    EXPECT_EQ(runSetup(package, "/SILENT", "nowrite:" + dir), 1u);
    EXPECT_EQ(readAll(dir + "\\a.txt"), "a");
    EXPECT_EQ(uninstall("VxProduct"), 1u);
    simulateRestart();
    EXPECT_FALSE(exists(dir));

    // The format version (the TOC's third word) of a later engine.
    patchFile(package.setup, [](std::string& bytes) {
        std::uint32_t endLength = littleEndianAt(bytes, bytes.size() - 4);
        if (endLength == 0xFFFFFFFFu)
            endLength = 0;
        std::uint32_t toc = littleEndianAt(bytes, bytes.size() - 8 - endLength);
        bytes[toc + 8 + 3] = 2;
    });
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    User user(setup.process.dwProcessId);
    HWND box = user.waitFor("Vortix Installer");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              "This package was made for a newer version of Vortix Installer (package format 2; "
              "this program reads format 1 and older). Aborting.");
    User::answer(box, IDOK);
    EXPECT_EQ(setup.wait(20000), 0u);
    EXPECT_FALSE(exists(dir));
}

TEST(Vxsetup, DestinationFromTheRegistryIsReadAsText) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VxDest", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char where[] = "%SystemDrive%\\VxDest";
    RegSetValueExA(key, "Dir", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(where),
                   sizeof where);
    RegCloseKey(key);
    PackageMaker maker("destination");
    maker.file("a.txt", "a");
    Package package = maker.build(R"(
[package]
product = "VxDest"
destination_from_registry = { root = "HKCU", key = 'Software\VxDest', value = "Dir" }

[[files]]
source = "a.txt"
target = '<InstallDir>\a.txt'
)");
    EXPECT_EQ(runSetup(package), 1u);
    EXPECT_EQ(readAll("C:\\VxDest\\a.txt"), "a");
    EXPECT_EQ(uninstall("VxDest"), 1u);
    simulateRestart();
    EXPECT_FALSE(exists("C:\\VxDest"));
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VxDest");
}

TEST(Vxsetup, APackageWithoutAnUninstallerRollsBackAllItRecorded) {
    PackageMaker maker("no-uninstaller");
    maker.file("a.txt", "a");
    Package package = maker.build(R"(
[package]
product = "VxNoUn"
install_dir = '<ProgramFiles>\VxNoUn'
create_uninstaller = false

[registry.HKCU.'Software\VxNoUn']
values = [{ name = "Made", data = "yes" }]
[registry.HKCU.'Software\VxNoUn'.subkeys.Broken]
values = [{ name = "Never", data = "no" }]

[[files]]
source = "a.txt"
target = '<InstallDir>\a.txt'
[[files]]
source = "a.txt"
target = '<SystemDir>\vxnoun-shared.txt'
shared = true
)");
    PrefixSnapshot before = takeSnapshot(kNotCompared);
    // Files, a shared count, a key and a value are made before the failing key: all go.
    EXPECT_EQ(runSetup(package, "/SILENT", "key:HKEY_CURRENT_USER\\Software\\VxNoUn\\Broken"), 0u);
    expectNoDifferences(before, {});
}

TEST(Vxsetup, AProductNameWithABackslashStillKeepsASingleInstance) {
    PackageMaker maker("backslash");
    maker.file("control.ocx", "not a library at all");
    Package package = maker.build(R"(
[package]
product = 'Vx\Slash'
window_title = "VxSlash"
install_dir = '<ProgramFiles>\VxSlash'

[[files]]
source = "control.ocx"
target = '<InstallDir>\control.ocx'
register = true
)");
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    User user(setup.process.dwProcessId);
    // The failed registration holds the first copy open at its question.
    HWND box = user.waitFor("Vx\\Slash Setup", 60, 0xFFFF);
    ASSERT_NE(box, nullptr);
    // "\" makes a mutex name a namespace, which the system refuses; the second copy
    // still finds the first and ends.
    Started second = launch("\"" + package.setup + "\"", package.directory);
    EXPECT_EQ(second.wait(30000), 0u);
    TerminateProcess(second.process.hProcess, 0);
    User::answer(box, IDOK);
    EXPECT_EQ(setup.wait(), 1u);
    EXPECT_EQ(uninstall("Vx_Slash"), 1u);
    simulateRestart();
    EXPECT_FALSE(exists(programFiles() + "\\VxSlash"));
}

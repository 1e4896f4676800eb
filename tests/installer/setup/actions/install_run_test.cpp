#include "installer/setup/actions/install_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "installer/common/shared_counts.h"
#include "installer/common/uninstall_log.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/actions/plugin_recorder.h"
#include "installer/setup/actions/stage_file_operation.h"
#include "installer/uninstall/uninstall_run.h"
#include "tests/installer/setup/actions/install_machine.h"
#include "tests/installer/support/failing_tables.h"

using namespace vortix;
using testing_support::FailingTables;
using testing_support::FakeExpander;
using testing_support::FakeFile;
using testing_support::FakeMachine;
using testing_support::Installation;
using testing_support::kExtracted;
using testing_support::kUninstaller;
using testing_support::Machine;
using namespace std::string_literals;

namespace {

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

TEST(InstallRun, NewFilesAreRecordedFilesThatWereThereAreNot) {
    Machine s;
    s.addFile("<InstallDir>\\Data\\new.dat");
    s.addFile("<InstallDir>\\\\old.dat");  // "\\" collapses to one backslash
    s.host.addFile("C:\\App\\old.dat", "before");
    InstallResult result = s.run();
    ASSERT_TRUE(result.completed);

    EXPECT_EQ(s.host.file("C:\\App\\Data\\new.dat").content, "data0");
    EXPECT_EQ(s.host.file("C:\\App\\old.dat").content, "data1");
    UninstallLog log = s.installedLog();
    EXPECT_EQ(log.productName, "Contavo Lite");
    EXPECT_EQ(log.files, std::vector<std::string>{"C:\\App\\Data\\new.dat"});
    // C:\App existed already (the old file lies there); only Data was made.
    EXPECT_EQ(log.directories, std::vector<std::string>{"C:\\App\\Data"});
    EXPECT_TRUE(log.hasRegistry);
    EXPECT_EQ(s.host.statusLines.front(), "Copying C:\\App\\Data\\new.dat");
    EXPECT_EQ(s.host.progress.back(), 100);
    // The extracted program is gone once the log is in the installed uninstaller.
    EXPECT_FALSE(s.host.hasFile(kExtracted));
    EXPECT_TRUE(s.log.uninstallerWritten);
    // No scratch file of the write test is left behind, and once the installation is
    // complete no copy kept for a rollback.
    s.originals.discard(s.host.install);
    for (const auto& [path, file] : s.host.files)
        EXPECT_EQ(path.find(".TMP"), std::string::npos) << path;
}

TEST(InstallRun, SameVersionInModeFourIsNeitherInstalledNorRecorded) {
    Machine s;
    s.script.settings.overwriteMode = 4;
    PackagedFile& f = s.addFile("C:\\App\\lib.dll", kFileCompareVersions);
    f.versionHigh = 0x00010002;
    f.versionLow = 3;
    PackagedFile& newer = s.addFile("C:\\App\\other.dll", kFileCompareVersions);
    newer.versionHigh = 0x00020000;
    s.host.addFile("C:\\App\\lib.dll", "kept").version = {0x00010002, 3, 0, ""};
    s.host.addFile("C:\\App\\other.dll", "replaced").version = {0x00010002, 3, 0, ""};
    ASSERT_TRUE(s.run().completed);
    EXPECT_EQ(s.host.file("C:\\App\\lib.dll").content, "kept");
    EXPECT_EQ(s.host.file("C:\\App\\other.dll").content, "data1");
    EXPECT_TRUE(s.installedLog().files.empty());
    EXPECT_TRUE(s.host.questions.empty());
}

TEST(InstallRun, VersionQuestionYesKeepsTheFile) {
    Machine s;
    s.script.settings.overwriteMode = 1;
    s.addFile("C:\\App\\lib.dll", kFileCompareVersions).versionLow = 7;
    s.host.addFile("C:\\App\\lib.dll", "kept").version.description = "Helper";
    s.host.yesNoAnswers = {true};
    ASSERT_TRUE(s.run().completed);
    EXPECT_EQ(s.host.file("C:\\App\\lib.dll").content, "kept");
    ASSERT_EQ(s.host.questions.size(), 1u);
    EXPECT_EQ(s.host.questions[0], "[113]\r\n[117]\r\n[114]\r\n[27] Helper\r\n[53]: 7");
}

// In a directory the run makes, what it placed there is all there is: a new target
// is written straight, and one written twice is found the second time, its first
// copy kept while the second goes beside it and over it, and logged once.
TEST(InstallRun, ATargetWrittenTwiceInADirectoryTheRunMakesIsFoundTheSecondTime) {
    Machine s;
    s.addFile("C:\\App\\New\\a.txt");
    s.addFile("C:\\App\\New\\a.txt");
    ASSERT_TRUE(s.run().completed);
    EXPECT_EQ(s.host.file("C:\\App\\New\\a.txt").content, "data1");
    EXPECT_EQ(s.installedLog().files, std::vector<std::string>{"C:\\App\\New\\a.txt"});
    EXPECT_EQ(s.originals.kept().size(), 1u);
    EXPECT_EQ(s.host.movesOver, 1);
}

TEST(InstallRun, LockedFileOnNtIsMovedAsideAndDeletedAtRestart) {
    Machine s;
    s.addFile("C:\\App\\app.exe");
    s.addFile("C:\\App\\lib.dll");
    s.host.addFile("C:\\App\\app.exe", "running").inUse = true;
    s.host.addFile("C:\\App\\lib.dll", "loaded").inUse = true;
    s.host.addFile("C:\\App\\lib.dll.delete_on_reboot0", "from an earlier run");
    InstallResult result = s.run();
    ASSERT_TRUE(result.completed);
    EXPECT_EQ(s.host.file("C:\\App\\app.exe").content, "data0");
    EXPECT_EQ(s.host.file("C:\\App\\app.exe.delete_on_reboot0").content, "running");
    EXPECT_EQ(s.host.file("C:\\App\\lib.dll.delete_on_reboot1").content, "loaded");
    EXPECT_EQ(s.host.deletedAtRestart,
              (std::vector<std::string>{"C:\\App\\app.exe.delete_on_reboot0",
                                        "C:\\App\\lib.dll.delete_on_reboot1"}));
    EXPECT_FALSE(result.restartNeeded());
    EXPECT_TRUE(s.installedLog().files.empty());  // both were there before
}

TEST(InstallRun, LockedFileWhoseNewDataCannotBeWrittenGoesBackInPlace) {
    Machine s;
    s.addFile("C:\\App\\app.exe");
    s.host.addFile("C:\\App\\app.exe", "running").inUse = true;
    s.host.failingData = {0};
    ASSERT_TRUE(s.run().completed);
    EXPECT_EQ(s.host.file("C:\\App\\app.exe").content, "running");
    EXPECT_FALSE(s.host.hasFile("C:\\App\\app.exe.delete_on_reboot0"));
    EXPECT_TRUE(s.host.deletedAtRestart.empty());
}

TEST(InstallRun, LockedFileOn95IsReplacedAtRestartOrAskedAbout) {
    Machine s;
    s.host.ntFamily = false;
    s.script.settings.options |= kOptionReplaceAtRestart;
    s.addFile("C:\\App\\app.exe");
    s.host.addFile("C:\\App\\app.exe", "running").inUse = true;
    InstallResult result = s.run();
    ASSERT_TRUE(result.completed);
    ASSERT_EQ(result.pendingReplacements.size(), 1u);
    const PendingReplacement& pending = result.pendingReplacements[0];
    EXPECT_EQ(pending.target, "C:\\App\\app.exe");
    EXPECT_EQ(s.host.file(pending.temporary).content, "data0");
    EXPECT_EQ(s.host.file("C:\\App\\app.exe").content, "running");
    EXPECT_TRUE(result.restartNeeded());
    EXPECT_EQ(s.installedLog().files, std::vector<std::string>{"C:\\App\\app.exe"});
    // Complete, the copy kept for a rollback goes: the new data waits in the host's
    // replacement file, and nothing else is left beside the target or in the
    // temporary folder.
    s.originals.discard(s.host.install);
    std::set<std::string> left;
    for (const auto& [path, file] : s.host.files)
        if (path.rfind("C:\\APP\\", 0) == 0 || path.rfind("C:\\TEMP\\", 0) == 0)
            left.insert(path);
    EXPECT_EQ(left, (std::set<std::string>{"C:\\APP\\APP.EXE", "C:\\TEMP\\VXW1.TMP"}));

    // Handed to the system, or to wininit.ini where the system cannot take it.
    handOverPendingReplacements(s.host.install, result.pendingReplacements);
    EXPECT_EQ(s.host.replacedAtRestart.at(0),
              std::make_pair(pending.temporary, std::string("C:\\App\\app.exe")));
    s.host.restartReplaceWorks = false;
    handOverPendingReplacements(s.host.install, result.pendingReplacements);
    EXPECT_EQ(s.host.wininit,
              "[Rename]\r\nSHORT:C:\\App\\app.exe=SHORT:" + pending.temporary + "\r\n");

    Machine asked;
    asked.host.ntFamily = false;
    asked.addFile("C:\\App\\app.exe");
    asked.host.addFile("C:\\App\\app.exe", "running").inUse = true;
    asked.host.retryAnswers = {true, false};  // Retry, then Cancel
    ASSERT_TRUE(asked.run().completed);
    EXPECT_EQ(asked.host.questions, std::vector<std::string>(2, "C:\\App\\app.exe is in use."));
    EXPECT_EQ(asked.host.file("C:\\App\\app.exe").content, "running");
}

TEST(InstallRun, SharedFileIsCountedNotRecordedAsInstalled) {
    Machine first;
    first.addFile("C:\\WINDOWS\\SYSTEM\\common.dll", kFileShared);
    ASSERT_TRUE(first.run().completed);
    UninstallLog log = first.installedLog();
    EXPECT_EQ(log.shared, std::vector<std::string>{"C:\\WINDOWS\\SYSTEM\\common.dll"});
    EXPECT_TRUE(log.files.empty());
    ASSERT_TRUE(first.run().completed);  // a second installation of the same file
    EXPECT_EQ(first.host.sharedCount("C:\\WINDOWS\\SYSTEM\\common.dll"), 2u);

    Machine closed;
    closed.host.lockSharedCounts();
    closed.addFile("C:\\App\\common.dll", kFileShared);
    ASSERT_TRUE(closed.run().completed);
    EXPECT_TRUE(closed.installedLog().shared.empty());
}

TEST(InstallRun, BackupBeforeOverwriting) {
    Machine s;
    s.script.settings.options |= kOptionBackup;
    PackagedFile& f = s.addFile("C:\\App\\lib.dll");
    f.versionHigh = 0x00010002;
    f.versionLow = 0xFFFFFFFF;
    f.lastWritten = {true, 0x01D0000080000001ull};
    s.host.addFile("C:\\App\\lib.dll", "original").attributes = kAttributeReadOnly;
    ASSERT_TRUE(s.run().completed);
    EXPECT_EQ(s.host.file("C:\\App\\Backup\\lib.dll").content, "original");
    EXPECT_EQ(s.host.file("C:\\App\\lib.dll").content, "data0");
    UninstallLog log = s.installedLog();
    EXPECT_EQ(log.backupLines,
              std::vector<std::string>{"C:\\App\\Backup\\lib.dll\tC:\\App\\lib.dll\t65538\t-1\t"
                                       "30408704\t-2147483647"});
    EXPECT_TRUE(contains(log.directories, "C:\\App\\Backup"));
}

// A backup that cannot be made (its folder refused) is asked
// about: Yes skips the file and keeps the one there, No replaces it without one.
TEST(InstallRun, ABackupThatCannotBeMadeIsAskedAbout) {
    for (bool skip : {true, false}) {
        Machine s;
        s.script.settings.options |= kOptionBackup;
        s.addFile("C:\\App\\lib.dll");
        s.host.addFile("C:\\App\\lib.dll", "original");
        s.host.deniedDirectories.insert("C:\\APP\\BACKUP");
        s.host.yesNoAnswers = {skip};
        ASSERT_TRUE(s.run().completed);
        EXPECT_EQ(s.host.questions,
                  std::vector<std::string>{"Couldn't make a backup copy of C:\\App\\lib.dll.\n\n"
                                           "Skip this file and keep the one that is there? (No "
                                           "replaces it without a backup.)"});
        EXPECT_EQ(s.host.file("C:\\App\\lib.dll").content, skip ? "original" : "data0");
        EXPECT_TRUE(s.installedLog().backupLines.empty());
    }
}

TEST(InstallRun, TimesAndAttributesKeepTheSystemBit) {
    Machine s;
    // Overwritten in place, so the file keeps what the system gave it.
    PackagedFile& f = s.addFile("C:\\App\\a.txt", kFileCompareVersions);
    f.attributes = kAttributeReadOnly | kAttributeHidden | 0x04 | 0x10;
    f.created = {true, 111};
    f.lastWritten = {false, 222};
    s.host.addFile("C:\\App\\a.txt").attributes = 0x04 | kAttributeArchive;
    s.addFile("C:\\App\\empty.txt").dataSize = 0;
    ASSERT_TRUE(s.run().completed);
    const auto& written = s.host.file("C:\\App\\a.txt");
    EXPECT_EQ(written.attributes, 0x04u | kAttributeReadOnly | kAttributeHidden);
    EXPECT_EQ(written.created, 111u);
    EXPECT_EQ(written.lastWritten, 0u);
    EXPECT_EQ(s.host.file("C:\\App\\empty.txt").content, "");
}

TEST(InstallRun, DirectoryFailuresEndTheInstallation) {
    Machine denied;
    denied.host.deniedDirectories = {"C:\\APP"};
    denied.addFile("C:\\App\\a.txt");
    EXPECT_FALSE(denied.run().completed);
    ASSERT_EQ(denied.host.messages.size(), 2u);
    EXPECT_EQ(denied.host.messages[0].rfind("Couldn't create directory 'C:\\App'. Error: Access "
                                            "denied; You may not have required privileges",
                                            0),
              0u);
    EXPECT_EQ(denied.host.messages[1], "Failure while trying to install file C:\\App\\a.txt");
    EXPECT_FALSE(denied.host.hasFile(kUninstaller));

    // Targets that are not plain local paths are refused one by one; the rest goes on.
    Machine odd;
    odd.addFile("\\\\server\\share\\a.txt");
    odd.addFile("C:\\App\\..\\..\\WINDOWS\\b.txt");
    odd.addFile("relative\\c.txt");
    odd.addFile("C:\\App\\d.txt");
    EXPECT_TRUE(odd.run().completed);
    ASSERT_EQ(odd.host.messages.size(), 3u);
    // The network path's leading "\\" is collapsed like any other.
    EXPECT_EQ(odd.host.messages[0],
              "Couldn't install \\server\\share\\a.txt: the target is not a "
              "plain path on a local drive - skipping file");
    EXPECT_FALSE(odd.host.hasFile("C:\\WINDOWS\\b.txt"));
    EXPECT_TRUE(odd.host.hasFile("C:\\App\\d.txt"));

    Machine readOnly;
    readOnly.host.addDirectory("C:\\Locked");
    readOnly.host.unwritableDirectories = {"C:\\LOCKED"};
    readOnly.addFile("C:\\Locked\\a.txt");
    EXPECT_FALSE(readOnly.run().completed);
    EXPECT_EQ(readOnly.host.messages,
              std::vector<std::string>{
                  "You don't have write privilege to directory 'C:\\Locked'. Please have your "
                  "system administrator (or other user with higher privileges) install this "
                  "software."});
    EXPECT_FALSE(readOnly.host.hasFile("C:\\Locked\\a.txt"));
    EXPECT_EQ(rollbackAction(false, true, readOnly.log), RollbackAction::RunRollbackLog);
}

TEST(InstallRun, EachDirectoryIsMadeAndTestedOnce) {
    Machine m;
    for (int i = 0; i < 50; ++i)
        m.addFile("C:\\App\\" + std::string(i % 2 ? "one" : "two") + "\\f" + std::to_string(i));
    ASSERT_TRUE(m.run().completed);
    // One scratch file per directory, not per file.
    EXPECT_EQ(m.host.newFileCalls, 2);
    EXPECT_TRUE(m.host.hasFile("C:\\App\\one\\f49"));
    EXPECT_TRUE(contains(m.installedLog().directories, "C:\\App\\one"));
}

TEST(InstallRun, SkippedFilesAndFileSelection) {
    Machine s;
    s.choices.componentSelection = true;
    s.choices.installType = 1;
    s.choices.selectedComponents = {true, false};
    s.addFile("C:\\App\\ext.dat").storage = FileStorage::External;
    s.addFile("C:\\App\\second-type.dat").typeMask = 2;
    s.addFile("C:\\App\\unselected.dat").component = 1;
    s.addFile("C:\\App\\not-here.dat").condition.comparisons = {{"false", 0, "1"}};
    s.addFile("C:\\App\\fails.dat");
    s.addFile("C:\\App\\ok.dat");
    s.host.missingExternal = {0};
    s.host.failingData = {4};
    ASSERT_TRUE(s.run().completed);
    EXPECT_EQ(s.host.messages,
              (std::vector<std::string>{"Couldn't read ext.dat - skipping file",
                                        "Couldn't write C:\\App\\fails.dat - skipping file"}));
    for (const char* skipped : {"ext", "second-type", "unselected", "not-here"})
        EXPECT_FALSE(s.host.hasFile("C:\\App\\"s + skipped + ".dat")) << skipped;
    EXPECT_TRUE(s.host.hasFile("C:\\App\\ok.dat"));

    // The typical type takes files of both of the first two types.
    Machine typical;
    typical.choices.componentSelection = true;
    typical.addFile("C:\\App\\second-type.dat").typeMask = 2;
    ASSERT_TRUE(typical.run().completed);
    EXPECT_TRUE(typical.host.hasFile("C:\\App\\second-type.dat"));

    // The custom type takes what the chosen components hold, whatever the type.
    Machine custom;
    custom.choices.componentSelection = true;
    custom.choices.installType = kCustomType;
    custom.choices.selectedComponents = {true, false};
    custom.addFile("C:\\App\\second-type.dat").typeMask = 2;
    custom.addFile("C:\\App\\unselected.dat").component = 1;
    ASSERT_TRUE(custom.run().completed);
    EXPECT_TRUE(custom.host.hasFile("C:\\App\\second-type.dat"));
    EXPECT_FALSE(custom.host.hasFile("C:\\App\\unselected.dat"));
}

TEST(InstallRun, ActiveXFailuresAreReportedOnceAndTheRunGoesOn) {
    Machine s;
    s.addFile("C:\\App\\a.ocx", kFileRegisterActiveX);
    s.addFile("C:\\App\\b.ocx", kFileRegisterActiveX);
    s.addFile("C:\\App\\c.ocx", kFileRegisterActiveX);
    s.host.registration[upperCased("C:\\App\\a.ocx")] = ServerRegistration::NoEntryPoint;
    s.host.registration[upperCased("C:\\App\\b.ocx")] = ServerRegistration::Failed;
    InstallResult result = s.run();
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.activeXFailures, 2);
    EXPECT_EQ(s.host.registered.size(), 3u);
    EXPECT_EQ(s.host.messages,
              std::vector<std::string>{"Registration of some ActiveX controls failed. Installation "
                                       "will finish but the application may not work properly."});
}

TEST(InstallRun, RegistryValuesAreTypedAndLogged) {
    Machine s;
    s.host.registry.key(RegistryRoot::CurrentUser, "Software");
    RegistryItemKey software{"Software", {}, {}};
    RegistryItemKey app{"Vortix\\<Product>", {}, {}};
    app.values = {{"Path", kRegString, "<InstallDir>", {}},
                  {"Count", kRegDword, "7", {}},
                  {"Skipped", kRegDword, "1", {{}, {{"false", 0, ""}}}}};
    software.subkeys.push_back(app);
    s.script.registry[1].subkeys.push_back(software);
    s.expander.variables["<Product>"] = "Contavo";
    ASSERT_TRUE(s.run().completed);

    const auto* key =
        s.host.registry.findKey(RegistryRoot::CurrentUser, "Software\\Vortix\\Contavo");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->values.at("PATH").second, "C:\\App\0"s);
    EXPECT_EQ(key->values.at("COUNT"), std::make_pair(RegistryValueType::Dword, "\7\0\0\0"s));
    EXPECT_EQ(key->values.count("SKIPPED"), 0u);
    EXPECT_EQ(s.host.registry.openKeys(), 0);

    UninstallLog log = s.installedLog();
    const RegistryKeyNode& root = log.registry.roots[1];
    ASSERT_EQ(root.subkeys.size(), 1u);
    EXPECT_EQ(root.subkeys[0].flag, kKeyExisted);
    const RegistryKeyNode& vortix = root.subkeys[0].subkeys.at(0);
    EXPECT_EQ(vortix.name, "Vortix");
    EXPECT_EQ(vortix.flag, kKeyCreated);
    const RegistryKeyNode& contavo = vortix.subkeys.at(0);
    EXPECT_EQ(contavo.name, "Contavo");
    ASSERT_EQ(contavo.values.size(), 2u);
    EXPECT_EQ(contavo.values[0].name, "Path");
    EXPECT_EQ(contavo.values[0].flag, kValueWritten);
}

TEST(InstallRun, KeyThatCannotBeCreatedOrValueThatCannotBeWrittenFailsTheRun) {
    Machine s;
    s.host.registry.key(RegistryRoot::LocalMachine, "Software").denyCreate = true;
    RegistryItemKey software{"Software\\Contavo", {}, {}};
    s.script.registry[2].subkeys.push_back(software);
    s.addFile("C:\\App\\a.txt");
    EXPECT_FALSE(s.run().completed);
    EXPECT_EQ(s.host.messages, std::vector<std::string>{"[133]"});
    EXPECT_TRUE(s.log.registryWritten);
    EXPECT_FALSE(s.host.hasFile(kUninstaller));
    EXPECT_EQ(s.log.files(), std::vector<std::string>{"C:\\App\\a.txt"});  // for the rollback

    // A key that may only be read is opened that way; its values cannot be written.
    Machine r;
    r.host.registry.key(RegistryRoot::LocalMachine, "Locked").readOnly = true;
    RegistryItemKey locked{"Locked", {{"v", kRegString, "x", {}}}, {}};
    r.script.registry[2].subkeys.push_back(locked);
    RegistryItemKey bad{"Bad", {{"v", kRegBinary, "zz", {}}}, {}};
    r.script.registry[2].subkeys.push_back(bad);
    EXPECT_FALSE(r.run().completed);
    const RegistryKeyNode& machine = r.log.registry().roots[2];
    EXPECT_EQ(machine.subkeys.at(0).values.at(0).flag, kValueKept);
    EXPECT_EQ(machine.subkeys.at(1).values.at(0).flag, kValueKept);
}

TEST(InstallRun, IniEntriesAndTextFileEdits) {
    Machine s;
    s.script.iniItems = {{"<InstallDir>\\app.ini", "Main", "Dir=<InstallDir>", {}},
                         {"app.ini", "Main", "no equals sign", {}}};
    s.script.textEdits = {{1, "C:\\Boot\\start.bat", "", "CALL <InstallDir>\\run.bat", {}},
                          {4, "C:\\busy.bat", "", "x", {}},
                          {1, "C:\\locked.bat", "", "x", {}},
                          {1, "C:\\private.bat", "", "x", {}}};
    s.host.addFile("C:\\locked.bat", "keep me").inUse = true;
    s.host.addFile("C:\\private.bat", "keep me too").unreadable = true;
    ASSERT_TRUE(s.run().completed);
    EXPECT_EQ(s.host.profiles.at("C:\\App\\app.ini/Main").at("Dir"), "C:\\App");
    EXPECT_EQ(s.host.profiles.size(), 1u);
    EXPECT_EQ(s.host.profileFlushes, 1);
    EXPECT_EQ(s.host.file("C:\\Boot\\start.bat").content, "\r\nCALL C:\\App\\run.bat");
    EXPECT_FALSE(s.host.hasFile("C:\\busy.bat"));
    EXPECT_EQ(s.host.file("C:\\locked.bat").content, "keep me");
    EXPECT_EQ(s.host.file("C:\\private.bat").content, "keep me too");  // never replaced
    UninstallLog log = s.installedLog();
    EXPECT_TRUE(contains(log.directories, "C:\\Boot"));  // the directory is recorded
    EXPECT_TRUE(log.files.empty());                      // edits are not

    Machine failing;
    failing.host.profileFails = true;
    failing.script.iniItems = {{"C:\\a.ini", "S", "a=1", {}}, {"C:\\a.ini", "S", "b=2", {}}};
    ASSERT_TRUE(failing.run().completed);
    EXPECT_EQ(failing.host.messages, std::vector<std::string>{"[135]"});
}

TEST(InstallRun, ShortcutsAndTheUninstallShortcut) {
    Machine s;
    s.script.settings.options |= kOptionUninstallShortcut | kOptionOpenShortcutFolder;
    s.addFile("C:\\App\\app.exe");
    s.script.shortcuts = {{"<InstallDir>\\app.exe",
                           "<Menu>\\App.lnk",
                           "/x",
                           "<InstallDir>",
                           "<InstallDir>\\a.ico,12",
                           {}},
                          {"<InstallDir>\\missing.exe", "<Menu>\\Missing.lnk", "", "", "", {}}};
    InstallResult result = s.run();
    ASSERT_TRUE(result.completed);
    EXPECT_TRUE(result.shortcutsMade);
    ASSERT_EQ(s.host.shortcuts.size(), 2u);
    const ShortcutSpec& app = s.host.shortcuts[0];
    EXPECT_EQ(app.file, "C:\\Menu\\Contavo\\App.lnk");
    EXPECT_EQ(app.target, "C:\\App\\app.exe");
    EXPECT_EQ(app.arguments, "/x");
    EXPECT_EQ(app.workingDirectory, "C:\\App");
    EXPECT_EQ(app.iconFile, "C:\\App\\a.ico");
    EXPECT_EQ(app.iconIndex, 1);
    const ShortcutSpec& uninstall = s.host.shortcuts[1];
    EXPECT_EQ(uninstall.file, "C:\\Menu\\Contavo\\Uninstall Contavo Lite.lnk");
    EXPECT_EQ(uninstall.target, kUninstaller);
    EXPECT_EQ(uninstall.iconFile, kUninstaller);
    EXPECT_EQ(s.host.foldersOpened, std::vector<std::string>{"C:\\Menu\\Contavo"});

    // Both shortcuts and the program folder go with the uninstall.
    UninstallLog log = s.installedLog();
    EXPECT_TRUE(contains(log.files, "C:\\Menu\\Contavo\\App.lnk"));
    EXPECT_TRUE(contains(log.files, "C:\\Menu\\Contavo\\Uninstall Contavo Lite.lnk"));
    EXPECT_TRUE(contains(log.directories, "C:\\Menu\\Contavo"));

    Machine failing;
    failing.host.shortcutFails = true;
    failing.choices.silent = true;
    failing.script.settings.options |= kOptionOpenShortcutFolder;
    failing.addFile("C:\\App\\app.exe");
    failing.script.shortcuts = {{"C:\\App\\app.exe", "C:\\App\\a.lnk", "", "", "", {}},
                                {"C:\\App\\app.exe", "C:\\App\\b.lnk", "", "", "", {}}};
    ASSERT_TRUE(failing.run().completed);
    EXPECT_EQ(failing.host.messages, std::vector<std::string>{"[138]"});
    EXPECT_TRUE(failing.host.foldersOpened.empty());
}

TEST(InstallRun, UninstallerThatCannotBeWrittenFailsAndKeepsWhatTheRollbackNeeds) {
    Machine s;
    s.host.failUninstallerWrite = true;
    s.addFile("C:\\App\\a.txt");
    EXPECT_FALSE(s.run().completed);
    EXPECT_EQ(s.host.messages, std::vector<std::string>{"[140]"});
    EXPECT_FALSE(s.host.hasFile(kUninstaller));
    EXPECT_TRUE(s.host.hasFile(kExtracted));
    EXPECT_EQ(s.log.files(), std::vector<std::string>{"C:\\App\\a.txt"});
    EXPECT_EQ(rollbackAction(false, true, s.log), RollbackAction::RunRollbackLog);
}

TEST(InstallRun, ExistingUninstallerGetsTheNewRecordsMergedIn) {
    Machine s;
    LogContext older;
    older.recordFile("C:\\App\\first.txt");
    older.registryWritten = true;
    s.host.addFile(kUninstaller,
                   withLog("MZ", older.buildText("Contavo Lite", ""), clockKeyDraw()));
    s.host.setPendingRenames({"a", "b"});
    s.script.settings.options = kOptionUpdate | kOptionUninstallShortcut;
    s.addFile("C:\\App\\second.txt");
    InstallRun update(s.host.install, s.expander, s.log, {s.script, s.files, s.texts}, s.choices,
                      s.originals);
    ASSERT_TRUE(update.run().completed);
    // Until the update completes, its records stay for its own rollback.
    update.mergeLog();
    EXPECT_EQ(s.installedLog().files, std::vector<std::string>{"C:\\App\\first.txt"});
    update.complete();
    EXPECT_EQ(s.installedLog().files,
              (std::vector<std::string>{"C:\\Menu\\Contavo\\Uninstall Contavo Lite.lnk",
                                        "C:\\App\\second.txt", "C:\\App\\first.txt"}));
    EXPECT_EQ(s.host.pendingRenames(), (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(s.log.uninstallerWritten);  // the installed uninstaller belongs to the earlier run

    // An update that finds no uninstaller writes none, and makes no shortcut to it.
    Machine alone;
    alone.script.settings.options = kOptionUpdate | kOptionUninstallShortcut;
    alone.addFile("C:\\App\\second.txt");
    ASSERT_TRUE(alone.run().completed);
    EXPECT_FALSE(alone.host.hasFile(kUninstaller));
    EXPECT_TRUE(alone.host.shortcuts.empty());
}

// A log that cannot be read or rewritten could never remove what the run did:
// the run fails with the records kept for the rollback, the old log untouched.
TEST(InstallRun, AMergeThatFailsFailsTheRun) {
    for (const char* how : {"unreadable", "not a log", "cannot be rewritten"}) {
        SCOPED_TRACE(how);
        Machine s;
        LogContext older;
        older.recordFile("C:\\App\\first.txt");
        std::string installed = withLog("MZ", older.buildText("Contavo Lite", ""), clockKeyDraw());
        if (std::string(how) == "not a log")
            installed = "MZ damaged";
        s.host.addFile(kUninstaller, installed).unreadable = std::string(how) == "unreadable";
        s.host.failUninstallerWrite = std::string(how) == "cannot be rewritten";
        s.addFile("C:\\App\\a.txt");
        // A log that cannot be read fails the run; one that cannot be rewritten,
        // its completion.
        InstallRun install(s.host.install, s.expander, s.log, {s.script, s.files, s.texts},
                           s.choices, s.originals);
        EXPECT_FALSE(install.run().completed && install.complete());
        EXPECT_EQ(s.host.messages, std::vector<std::string>{"[140]"});
        EXPECT_EQ(s.host.file(kUninstaller).content, installed);
        EXPECT_EQ(s.log.files(), std::vector<std::string>{"C:\\App\\a.txt"});
    }
}

// The uninstaller run from its shortcut deletes itself only at the next restart.
// A reinstall before then writes a new log in place of the one carried out, so
// that the next removal counts a shared file down once: here another program's
// use keeps it.
TEST(InstallRun, AReinstallBeforeTheRestartNeverMergesIntoTheLogCarriedOut) {
    const std::string dll = "C:\\WINDOWS\\SYSTEM\\common.dll";
    Installation m(kOptionCreateUninstaller);
    m.host.addFile(dll, "another program's");
    m.host.setSharedCount(dll, 1);
    auto removeFromItsShortcut = [&m](const char* options) {
        m.host.ownPath = kUninstaller;
        m.host.ownFile = m.host.file(kUninstaller).content;
        m.host.mutexes.clear();
        return runUninstall(m.host.uninstall, parseCommandLine(options));
    };
    ASSERT_TRUE(m.run().completed);
    ASSERT_EQ(removeFromItsShortcut("/SILENT"), 1);
    ASSERT_TRUE(m.host.hasFile(kUninstaller));
    ASSERT_EQ(m.host.sharedCount(dll), 1u);

    m.log = LogContext();
    m.log.extractedUninstaller = kExtracted;
    m.host.addFile(kExtracted, "MZ uninstaller");
    ASSERT_TRUE(m.run().completed);
    EXPECT_EQ(m.installedLog().shared, std::vector<std::string>{dll});
    EXPECT_EQ(m.host.pendingRenames().value_or(std::vector<std::string>()),
              std::vector<std::string>{});
    ASSERT_EQ(removeFromItsShortcut("/SILENT /NOREMOVE"), 1);
    EXPECT_EQ(m.host.sharedCount(dll), 1u);
    EXPECT_TRUE(m.host.hasFile(dll));
}

TEST(InstallRun, Mp3AndJpegFilesAreConverted) {
    Machine s;
    s.script.settings.options |= kOptionDecodeMp3 | kOptionConvertJpeg;
    s.addFile("C:\\App\\tune.mp3");
    s.addFile("C:\\App\\photo.JPG");
    ASSERT_TRUE(s.run().completed);
    EXPECT_EQ(s.host.mp3Calls,
              (std::vector<std::string>{"init", "output C:\\App\\tune.wav.vxnew0",
                                        "open C:\\App\\tune.mp3", "play", "stop"}));
    EXPECT_FALSE(s.host.hasFile("C:\\App\\tune.mp3"));
    EXPECT_FALSE(s.host.hasFile("C:\\App\\photo.JPG"));
    EXPECT_TRUE(s.host.hasFile("C:\\App\\photo.BMP"));
    UninstallLog log = s.installedLog();
    EXPECT_TRUE(contains(log.files, "C:\\App\\tune.wav"));
    EXPECT_TRUE(contains(log.files, "C:\\App\\photo.BMP"));

    Machine broken;
    broken.script.settings.options |= kOptionConvertJpeg;
    broken.host.jpegWorks = false;
    broken.addFile("C:\\App\\photo.jpg");
    EXPECT_FALSE(broken.run().completed);
    EXPECT_FALSE(broken.log.registryWritten);
}

TEST(PluginRecorder, ResultsAndRecords) {
    FakeMachine host;
    LogContext log;
    PluginRecorder plugin(host.install, log, "C:\\App");
    EXPECT_EQ(plugin.recordFile(""), kPluginBadArgument);
    EXPECT_EQ(plugin.recordFile("C:\\App\\x.txt"), kPluginDone);
    EXPECT_EQ(plugin.createDirectory("C:\\App\\Plug\\In"), kPluginDone);
    EXPECT_EQ(plugin.createDirectory("relative"), kPluginFailed);
    EXPECT_EQ(plugin.recordKey(0x80000002u, "Software\\Plug"), kPluginDone);
    EXPECT_EQ(plugin.recordKey(0x80000005u, "Software\\Plug"), kPluginBadArgument);
    EXPECT_EQ(plugin.recordValue(0x80000001u, "Software\\Plug", ""), kPluginBadArgument);
    EXPECT_EQ(plugin.recordValue(0x80000001u, "Software\\Plug", "v"), kPluginDone);
    EXPECT_EQ(plugin.countSharedFile("C:\\App\\s.dll"), kPluginDone);
    host.lockSharedCounts();
    EXPECT_EQ(plugin.countSharedFile("C:\\App\\s.dll"), kPluginFailed);
    EXPECT_EQ(plugin.backUpFile("C:\\App\\none.dll"), kPluginFailed);
    FakeFile& file = host.addFile("C:\\App\\own.dll", "own");
    file.version = {0x00030000, 5, 0, ""};
    file.lastWritten = 0x0000000200000003ull;
    EXPECT_EQ(plugin.backUpFile("C:\\App\\own.dll"), kPluginDone);

    log.registryWritten = true;
    std::variant<UninstallLog, LogError> read = parseLogText(log.buildText("P", ""));
    ASSERT_TRUE(std::holds_alternative<UninstallLog>(read));
    const UninstallLog& written = std::get<UninstallLog>(read);
    EXPECT_EQ(written.files, std::vector<std::string>{"C:\\App\\x.txt"});
    EXPECT_EQ(written.directories, (std::vector<std::string>{"C:\\App\\Backup", "C:\\App\\Plug\\In",
                                                             "C:\\App\\Plug", "C:\\App"}));
    EXPECT_EQ(written.shared, std::vector<std::string>{"C:\\App\\s.dll"});
    EXPECT_EQ(
        written.backupLines,
        std::vector<std::string>{"C:\\App\\Backup\\own.dll\tC:\\App\\own.dll\t196608\t5\t2\t3"});
    EXPECT_EQ(written.registry.roots[2].subkeys.at(0).subkeys.at(0).flag, kKeyRecorded);
    EXPECT_EQ(written.registry.roots[1].subkeys.at(0).subkeys.at(0).values.at(0).name, "v");
}

// ---------------------------------------------------------------- what was there before

namespace {

// No file of the run's own making is left beside the targets or in the temporary folder.
void expectNoLeftovers(const FakeMachine& host) {
    for (const auto& [path, file] : host.files) {
        EXPECT_EQ(path.find(".VXNEW"), std::string::npos) << path;
        EXPECT_FALSE(path.rfind("C:\\TEMP\\", 0) == 0 && path.find(".TMP") != std::string::npos)
            << path;
    }
}

void restore(Machine& m) {
    m.originals.restore(m.host.install, false,
                        [&](const std::string& p) { cancelDeletionAtRestart(m.host.install, p); });
    m.originals.restore(m.host.install, true, [](const std::string&) {});
}

}  // namespace

TEST(InstallRun, NewDataThatCannotBeWrittenLeavesTheFileThatWasThere) {
    struct Case {
        const char* name;
        std::uint32_t fileOptions;
        bool backup, inUse;
    };
    for (const Case& c : {Case{"plain", 0, false, false},
                          Case{"compare versions", kFileCompareVersions, false, false},
                          Case{"with backup", 0, true, false}, Case{"in use", 0, false, true}}) {
        SCOPED_TRACE(c.name);
        Machine m;
        if (c.backup)
            m.script.settings.options |= kOptionBackup;
        m.addFile("C:\\App\\lib.dll", c.fileOptions);
        m.addFile("C:\\App\\new.dll");
        FakeFile& old = m.host.addFile("C:\\App\\lib.dll", "the user's");
        old.attributes = kAttributeReadOnly;
        old.inUse = c.inUse;
        m.host.failingData = {0, 1};
        ASSERT_TRUE(m.run().completed);
        EXPECT_EQ(m.host.file("C:\\App\\lib.dll").content, "the user's");
        EXPECT_EQ(m.host.file("C:\\App\\lib.dll").attributes, kAttributeReadOnly);
        EXPECT_FALSE(m.host.hasFile("C:\\App\\new.dll"));
        EXPECT_EQ(m.host.messages,
                  (std::vector<std::string>{
                      "Couldn't write C:\\App\\lib.dll - the file that was there is kept, "
                      "skipping file",
                      "Couldn't write C:\\App\\new.dll - skipping file"}));
        EXPECT_FALSE(m.host.hasFile("C:\\App\\Backup\\lib.dll"));
        EXPECT_FALSE(m.host.hasFile("C:\\App\\lib.dll.delete_on_reboot0"));
        EXPECT_TRUE(m.host.deletedAtRestart.empty());
        EXPECT_TRUE(m.originals.kept().empty());
        UninstallLog log = m.installedLog();
        EXPECT_TRUE(log.files.empty());
        EXPECT_TRUE(log.backupLines.empty());
        expectNoLeftovers(m.host);
    }
}

TEST(InstallRun, RunningOutOfMemoryFailsTheRunAndLeavesNoPartFile) {
    Machine m;
    m.addFile("C:\\App\\first.dat");
    m.addFile("C:\\App\\lib.dll");
    m.host.addFile("C:\\App\\lib.dll", "the user's");
    m.host.exhaustingData = {1};
    EXPECT_FALSE(m.run().completed);
    EXPECT_EQ(m.host.messages, std::vector<std::string>{"[11]"});
    EXPECT_EQ(m.host.file("C:\\App\\lib.dll").content, "the user's");
    EXPECT_FALSE(m.host.hasFile(kUninstaller));
    // What was done stays recorded for the rollback.
    EXPECT_EQ(m.log.files(), std::vector<std::string>{"C:\\App\\first.dat"});
    restore(m);
    expectNoLeftovers(m.host);
}

TEST(InstallRun, ReplacedFilesGoBackOnRollbackAndTheirCopiesGoWhenItCompletes) {
    for (bool backup : {false, true}) {
        SCOPED_TRACE(backup ? "with backup" : "without backup");
        auto prepare = [backup](Machine& m) {
            if (backup)
                m.script.settings.options |= kOptionBackup;
            m.addFile("C:\\App\\lib.dll").attributes = kAttributeReadOnly;
            m.addFile("C:\\App\\app.exe");
            m.addFile("C:\\App\\new.txt");
            FakeFile& lib = m.host.addFile("C:\\App\\lib.dll", "old lib");
            lib.attributes = kAttributeHidden | kAttributeReadOnly;
            lib.lastWritten = 77;
            m.host.addFile("C:\\App\\app.exe", "old app").inUse = true;
        };
        Machine aborted;
        prepare(aborted);
        ASSERT_TRUE(aborted.run().completed);
        EXPECT_EQ(aborted.host.file("C:\\App\\lib.dll").content, "data0");
        restore(aborted);
        EXPECT_EQ(aborted.host.file("C:\\App\\lib.dll").content, "old lib");
        EXPECT_EQ(aborted.host.file("C:\\App\\lib.dll").attributes,
                  kAttributeHidden | kAttributeReadOnly);
        EXPECT_EQ(aborted.host.file("C:\\App\\lib.dll").lastWritten, 77u);
        EXPECT_EQ(aborted.host.file("C:\\App\\app.exe").content, "old app");
        EXPECT_FALSE(aborted.host.hasFile("C:\\App\\app.exe.delete_on_reboot0"));
        // The moved-aside file's deletion at the restart is withdrawn.
        EXPECT_EQ(aborted.host.pendingRenames(), std::vector<std::string>());
        EXPECT_FALSE(aborted.host.hasFile("C:\\App\\Backup\\lib.dll"));
        // The new file is the uninstaller's to remove (it is recorded).
        EXPECT_EQ(aborted.installedLog().files, std::vector<std::string>{"C:\\App\\new.txt"});
        expectNoLeftovers(aborted.host);

        Machine completed;
        prepare(completed);
        ASSERT_TRUE(completed.run().completed);
        completed.originals.discard(completed.host.install);
        expectNoLeftovers(completed.host);
        EXPECT_EQ(completed.host.hasFile("C:\\App\\Backup\\lib.dll"), backup);
        EXPECT_EQ(completed.host.file("C:\\App\\lib.dll").content, "data0");
    }
}

TEST(InstallRun, SharedFileAlreadyThereWithoutACountCountsAsOneUserAlready) {
    Machine m;
    m.addFile("C:\\WINDOWS\\SYSTEM\\theirs.dll", kFileShared);
    m.addFile("C:\\WINDOWS\\SYSTEM\\counted.dll", kFileShared);
    m.addFile("C:\\WINDOWS\\SYSTEM\\new.dll", kFileShared);
    m.host.addFile("C:\\WINDOWS\\SYSTEM\\theirs.dll", "another program's");
    m.host.addFile("C:\\WINDOWS\\SYSTEM\\counted.dll", "counted");
    m.host.setSharedCount("C:\\WINDOWS\\SYSTEM\\counted.dll", 3);
    ASSERT_TRUE(m.run().completed);
    EXPECT_EQ(m.host.sharedCount("C:\\WINDOWS\\SYSTEM\\theirs.dll"), 2u);
    EXPECT_EQ(m.host.sharedCount("C:\\WINDOWS\\SYSTEM\\counted.dll"), 4u);
    EXPECT_EQ(m.host.sharedCount("C:\\WINDOWS\\SYSTEM\\new.dll"), 1u);
}

// Removed again, a file that was there without a count is left as it was found:
// in place and without a count, unless another installation has counted it since.
TEST(InstallRun, SharedFileThatHadNoCountHasNoneAfterTheRemoval) {
    const std::string theirs = "C:\\WINDOWS\\SYSTEM\\theirs.dll";
    for (bool countedSince : {false, true}) {
        SCOPED_TRACE(countedSince);
        Machine m;
        m.addFile(theirs, kFileShared);
        m.host.addFile(theirs, "another program's");
        ASSERT_TRUE(m.run().completed);
        ASSERT_EQ(m.host.sharedCount(theirs), 2u);
        if (countedSince)
            m.host.setSharedCount(theirs, 3);
        m.host.ownPath = kUninstaller;
        m.host.ownFile = m.host.file(kUninstaller).content;
        ASSERT_EQ(runUninstall(m.host.uninstall, parseCommandLine("/SILENT /NOREMOVE")), 1);
        EXPECT_TRUE(m.host.hasFile(theirs));
        EXPECT_EQ(m.host.sharedCount(theirs),
                  countedSince ? std::optional<std::uint32_t>(2) : std::nullopt);
    }
}

TEST(InstallRun, BackupCopiesOfTheSameNameEachKeepTheirOwnAndTheTimeTheFileHas) {
    Machine m;
    m.script.settings.options |= kOptionBackup;
    m.host.now = 0x0000000500000006ull;
    m.addFile("C:\\App\\lib.dll").versionLow = 2;
    m.addFile("C:\\App\\Sub\\lib.dll").lastWritten = {true, 0x0000000700000008ull};
    m.addFile("C:\\App\\Data\\.profile");
    m.host.addFile("C:\\App\\lib.dll", "top");
    m.host.addFile("C:\\App\\Sub\\lib.dll", "sub");
    m.host.addFile("C:\\App\\Data\\.profile", "profile");
    m.host.addFile("C:\\App\\Backup\\.profile", "an earlier installation's");
    ASSERT_TRUE(m.run().completed);
    EXPECT_EQ(m.host.file("C:\\App\\Backup\\lib.dll").content, "top");
    EXPECT_EQ(m.host.file("C:\\App\\Backup\\lib (2).dll").content, "sub");
    EXPECT_EQ(m.host.file("C:\\App\\Backup\\.profile (2)").content, "profile");
    EXPECT_EQ(m.host.file("C:\\App\\Backup\\.profile").content, "an earlier installation's");
    EXPECT_EQ(m.installedLog().backupLines,
              (std::vector<std::string>{
                  "C:\\App\\Backup\\lib.dll\tC:\\App\\lib.dll\t0\t2\t5\t6",
                  "C:\\App\\Backup\\lib (2).dll\tC:\\App\\Sub\\lib.dll\t0\t0\t7\t8",
                  "C:\\App\\Backup\\.profile (2)\tC:\\App\\Data\\.profile\t0\t0\t5\t6"}));
}

TEST(InstallRun, IniTextAndShortcutFilesHoldToPlainLocalPaths) {
    Machine m;
    m.addFile("C:\\App\\app.exe");
    m.script.iniItems = {{"app.ini", "S", "a=1", {}}, {"C:\\App\\..\\..\\x.ini", "S", "a=1", {}}};
    m.script.textEdits = {{1, "\\\\server\\share\\autoexec.bat", "", "x", {}}};
    m.script.shortcuts = {{"C:\\App\\app.exe", "Contavo\\App.lnk", "", "", "", {}}};
    ASSERT_TRUE(m.run().completed);
    EXPECT_EQ(m.host.messages,
              (std::vector<std::string>{notLocalPathMessage("app.ini"),
                                        notLocalPathMessage("C:\\App\\..\\..\\x.ini"),
                                        notLocalPathMessage("\\\\server\\share\\autoexec.bat"),
                                        notLocalPathMessage("Contavo\\App.lnk")}));
    EXPECT_TRUE(m.host.profiles.empty());
    EXPECT_TRUE(m.host.shortcuts.empty());
}

TEST(StageFileOperation, KeepsWhatWasThereAndRecordsOnlyWhatItMade) {
    FakeMachine host;
    LogContext log;
    ReplacedFiles originals;
    host.addFile("C:\\Src\\a.cfg", "packaged a");
    host.addFile("C:\\Src\\b.cfg", "packaged b");
    host.addFile("C:\\App\\a.cfg", "the user's a").lastWritten = 9;
    host.addFile("C:\\App\\gone.txt", "deleted by the stage");
    host.now = 42;
    using A = StageFileAction;
    EXPECT_EQ(runStageFileOperation(host.install, log, originals, A::Copy, "C:\\Src\\a.cfg",
                                    "C:\\App\\a.cfg", "C:\\App"),
              StageOutcome::Done);
    EXPECT_EQ(runStageFileOperation(host.install, log, originals, A::Move, "C:\\Src\\b.cfg",
                                    "C:\\App\\b.cfg", ""),
              StageOutcome::Done);
    EXPECT_EQ(
        runStageFileOperation(host.install, log, originals, A::Delete, "C:\\App\\gone.txt", "", ""),
        StageOutcome::Done);
    for (const char* bad : {"..\\x.cfg", "\\\\server\\x.cfg", "C:\\App\\..\\x.cfg"})
        EXPECT_EQ(
            runStageFileOperation(host.install, log, originals, A::Copy, "C:\\Src\\a.cfg", bad, ""),
            StageOutcome::Refused);
    EXPECT_EQ(host.messages.size(), 3u);
    EXPECT_EQ(host.file("C:\\App\\a.cfg").content, "packaged a");
    EXPECT_EQ(host.file("C:\\App\\b.cfg").content, "packaged b");
    EXPECT_EQ(host.file("C:\\App\\Backup\\a.cfg").content, "the user's a");
    log.registryWritten = true;
    std::variant<UninstallLog, LogError> read = parseLogText(log.buildText("P", ""));
    ASSERT_TRUE(std::holds_alternative<UninstallLog>(read));
    // Only the file the stage made is removed with the installation.
    EXPECT_EQ(std::get<UninstallLog>(read).files, std::vector<std::string>{"C:\\App\\b.cfg"});
    EXPECT_EQ(std::get<UninstallLog>(read).backupLines.size(), 1u);

    // An aborted installation puts all three back.
    originals.restore(host.install, false, [](const std::string&) {});
    EXPECT_EQ(host.file("C:\\App\\a.cfg").content, "the user's a");
    EXPECT_EQ(host.file("C:\\Src\\b.cfg").content, "packaged b");
    EXPECT_EQ(host.file("C:\\App\\gone.txt").content, "deleted by the stage");
    EXPECT_FALSE(host.hasFile("C:\\App\\Backup\\a.cfg"));
}

TEST(InstallRun, TheBarFollowsTheFilesBytesAndNeverGoesBack) {
    Machine s;
    s.addFile("<InstallDir>\\small.dat").originalSize = 1000;
    s.addFile("<InstallDir>\\large.dat").originalSize = 3000;
    // A file this machine does not take counts for nothing.
    PackagedFile& elsewhere = s.addFile("<InstallDir>\\nt.dat");
    elsewhere.originalSize = 50000;
    elsewhere.condition.comparisons.push_back({});
    elsewhere.condition.comparisons.back().left = "false";
    ASSERT_TRUE(s.run().completed);
    // 1000 of 4000 bytes, all of them, the uninstaller, done.
    EXPECT_EQ(s.host.progress, (std::vector<int>{0, 20, 80, 95, 100}));
    EXPECT_TRUE(std::is_sorted(s.host.progress.begin(), s.host.progress.end()));
}

// Whichever call of the tables fails, a run that gives up is rolled back to the
// machine as it was: call 1, 2, ... fails until the run makes fewer calls.
TEST(InstallRun, AFailureAtAnyCallIsRolledBackToTheMachineAsItWas) {
    int rolledBack = 0;
    for (int failAt = 1;; ++failAt) {
        SCOPED_TRACE("call " + std::to_string(failAt));
        for (std::uint32_t options : {kOptionCreateUninstaller, std::uint32_t{0}}) {
            SCOPED_TRACE(options ? "with an uninstaller" : "without one");
            Installation m(options | kOptionBackup);
            m.host.yesNoAnswers = {false, false};  // a backup that fails: replaced without
            FailingTables failing(m.host.install);
            failing.failAt = failAt;
            InstallResult result = m.runThrough(failing.host());
            failing.failAt = 0;
            if (!failing.failed) {
                EXPECT_TRUE(result.completed);
                ASSERT_GT(rolledBack, 10);
                return;
            }
            if (result.completed)
                continue;  // that step's failure is reported and the run goes on
            m.rollBackThrough(failing.host());
            ++rolledBack;
            EXPECT_EQ(machineState(m.host), m.before);
            EXPECT_EQ(m.host.registry.openKeys(), 0);
        }
    }
}

#include "installer/uninstall/uninstall_run.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "installer/common/log_context.h"
#include "installer/common/shared_counts.h"
#include "installer/uninstall/child_environment.h"
#include "tests/installer/support/fake_machine.h"

using namespace vortix;
using testing_support::FakeMachine;

namespace {

const std::string kSystem = "C:\\WINDOWS\\SYSTEM\\";

// A typical installation on the fake machine, and its log inside the fake uninstaller.
struct Installation {
    FakeMachine host;
    LogContext log;

    Installation() {
        host.shortPaths[host.ownPath] = "C:\\WINDOWS\\APPUNI~1.EXE";
        host.registry.key(RegistryRoot::LocalMachine, kSharedDllsKey);
        host.directories = {"C:\\APP", "C:\\APP\\DATA"};
        log.recordDirectory("C:\\App");
        log.recordDirectory("C:\\App\\Data");
        for (const char* file : {"C:\\App\\app.exe", "C:\\App\\Data\\readonly.dat"}) {
            host.addStampedFile(file, {}, std::string(file).find("readonly") != std::string::npos);
            log.recordFile(file);
        }
        log.recordFile("C:\\App\\already-gone.txt");

        RegistryKeyNode& software =
            log.registry().root(RegistryRoot::CurrentUser).subkey("Software", kKeyExisted);
        RegistryKeyNode& app = software.subkey("Contavo", kKeyCreated);
        app.addValue("Installed", kValueWritten);
        app.addValue("NotWritten", kValueKept);
        software.subkey("Gone", kKeyCreated).subkey("Deeper", kKeyCreated);
        software.subkey("Shared", kKeyCreated);
        RegistryKeyNode& machine =
            log.registry().root(RegistryRoot::LocalMachine).subkey("Software", kKeyExisted);
        machine.subkey("Empty but existed", kKeyExisted);
        machine.subkey("Plug", kKeyRecorded).addValue("v", kValueWritten);
        log.registryWritten = true;

        host.registry.key(RegistryRoot::CurrentUser, "Software\\Contavo").values = {
            {"INSTALLED", {RegistryValueType::String, ""}},
            {"NOTWRITTEN", {RegistryValueType::String, ""}}};
        host.registry.key(RegistryRoot::CurrentUser, "Software\\Shared\\Foreign");
        host.registry.key(RegistryRoot::CurrentUser, "Software\\Other");
        host.registry.key(RegistryRoot::LocalMachine, "Software\\Empty but existed");
        host.registry.key(RegistryRoot::LocalMachine, "Software\\Plug").values = {
            {"V", {RegistryValueType::String, ""}}};
    }

    void addShared(const std::string& name, std::optional<std::uint32_t> count) {
        host.addFile(kSystem + name);
        if (count)
            host.setSharedCount(kSystem + name, *count);
        log.recordShared(kSystem + name);
    }

    int run(const char* commandLine = "\"C:\\WINDOWS\\App Uninstaller.exe\" /SILENT /NOREMOVE",
            const char* preUninstall = "") {
        host.ownFile = withLog("MZ", log.buildText("Contavo Lite", preUninstall), clockKeyDraw());
        return runUninstall(host.uninstall, parseCommandLine(commandLine));
    }
};

}  // namespace

TEST(UninstallRun, SilentRunRemovesWhatWasInstalledAndNothingElse) {
    Installation i;
    i.addShared("three.dll", 3);
    i.addShared("last.dll", 1);
    i.addShared("uncounted.dll", std::nullopt);
    i.host.addFile("C:\\App\\Data\\user notes.txt");  // the user's own file
    EXPECT_EQ(i.run(), 1);

    // Shared files: 3 becomes 2 and stays; the last user and an uncounted one go.
    EXPECT_EQ(i.host.sharedCount(kSystem + "three.dll"), 2u);
    EXPECT_TRUE(i.host.hasFile(kSystem + "three.dll"));
    EXPECT_FALSE(i.host.hasFile(kSystem + "last.dll"));
    EXPECT_FALSE(i.host.sharedCount(kSystem + "last.dll"));
    EXPECT_FALSE(i.host.hasFile(kSystem + "uncounted.dll"));
    // Files, the read-only one too; the user's file and its folder stay.
    EXPECT_FALSE(i.host.hasFile("C:\\App\\app.exe"));
    EXPECT_FALSE(i.host.hasFile("C:\\App\\Data\\readonly.dat"));
    EXPECT_TRUE(i.host.hasFile("C:\\App\\Data\\user notes.txt"));
    EXPECT_TRUE(i.host.directories.count("C:\\APP") && i.host.directories.count("C:\\APP\\DATA"));
    EXPECT_EQ(i.host.currentDirectory, "c:\\");
    // Registry: written values and created keys go, existing keys stay even when empty.
    EXPECT_FALSE(i.host.registry.findKey(RegistryRoot::CurrentUser, "Software\\Contavo"));
    EXPECT_TRUE(i.host.registry.findKey(RegistryRoot::CurrentUser, "Software\\Other"));
    EXPECT_TRUE(i.host.registry.findKey(RegistryRoot::CurrentUser, "Software\\Shared\\Foreign"));
    EXPECT_TRUE(i.host.registry.findKey(RegistryRoot::LocalMachine, "Software\\Empty but existed"));
    EXPECT_FALSE(i.host.registry.findKey(RegistryRoot::LocalMachine, "Software\\Plug"));
    EXPECT_EQ(i.host.registry.openKeys(), 0);
    // Silent: no window, no question, and with /NOREMOVE the program file stays.
    EXPECT_TRUE(i.host.shown.empty());
    EXPECT_TRUE(i.host.phases.empty());
    EXPECT_TRUE(i.host.deletedAtRestart.empty());
    EXPECT_FALSE(i.host.wininit);
}

TEST(UninstallRun, InteractiveRunReportsWhatStayedInTheDetails) {
    Installation i;
    i.host.addFile("C:\\App\\Data\\user notes.txt");
    i.host.files[upperCased("C:\\App\\app.exe")].inUse = true;
    i.host.yesNoAnswers = {true};
    EXPECT_EQ(i.run("vxuninst"), 1);
    EXPECT_EQ(i.host.shown.at(0),
              "This will remove Contavo Lite from your system, do you want to continue?");
    EXPECT_EQ(i.host.shown.at(1), "Removing Contavo Lite from your system...");
    EXPECT_EQ(i.host.phases, (std::vector<Phase>{Phase::SharedFiles, Phase::Backups, Phase::Files,
                                                 Phase::Directories, Phase::Registry}));
    EXPECT_EQ(i.host.result, "Uninstallation successful. Couldn't remove all elements.");
    EXPECT_EQ(
        i.host.details,
        "Couldn't delete following files:\r\nC:\\App\\app.exe\r\n\r\n"
        "Couldn't remove following directories:\r\nC:\\App\\Data\r\nC:\\App\r\n\r\n"
        "Couldn't delete following registry keys:\r\nHKEY_CURRENT_USER\\Software\\Shared\r\n");
    EXPECT_EQ(i.host.deletedAtRestart,
              (std::vector<std::string>{"C:\\WINDOWS\\App Uninstaller.exe"}));
}

TEST(UninstallRun, CleanRunHasNoDetails) {
    Installation i;
    i.host.registry.key(RegistryRoot::CurrentUser, "Software\\Shared\\Foreign");
    i.host.registry.roots[1]
        .subkeys[upperCased("Software")]
        ->subkeys[upperCased("Shared")]
        ->subkeys.clear();
    i.host.yesNoAnswers = {true};
    EXPECT_EQ(i.run(""), 1);
    EXPECT_EQ(i.host.result, "Uninstallation successful.");
    EXPECT_EQ(i.host.details, "");
}

TEST(UninstallRun, SharedFileQuestionAnswers) {
    struct Case {
        std::deque<SharedFileAnswer> answers;
        std::vector<bool> removed;  // of a, b, c
        int questions;
    };
    const Case cases[] = {
        {{SharedFileAnswer::Yes, SharedFileAnswer::No, SharedFileAnswer::Yes},
         {true, false, true},
         3},
        {{SharedFileAnswer::YesToAll}, {true, true, true}, 1},
        {{SharedFileAnswer::No, SharedFileAnswer::NoToAll}, {false, false, false}, 2},
    };
    for (const Case& c : cases) {
        Installation i;
        for (const char* name : {"a.dll", "b.dll", "c.dll"})
            i.addShared(name, 1);
        i.host.yesNoAnswers = {true};
        i.host.sharedAnswers = c.answers;
        i.run("");
        int asked = static_cast<int>(
            std::count_if(i.host.shown.begin(), i.host.shown.end(),
                          [](const std::string& s) { return s.rfind("Shared file ", 0) == 0; }));
        EXPECT_EQ(asked, c.questions);
        // Recorded a, b, c: the log lists them c, b, a.
        const char* order[] = {"c.dll", "b.dll", "a.dll"};
        for (int k = 0; k < 3; ++k) {
            std::string path = kSystem + order[k];
            EXPECT_EQ(!i.host.hasFile(path), c.removed[k]) << path;
            // A kept file still counts as used (0 would read as no user next time).
            if (!c.removed[k]) {
                EXPECT_EQ(i.host.sharedCount(path), 1u) << path;
            }
        }
    }
    Installation i;
    i.addShared("x.dll", 1);
    i.host.yesNoAnswers = {true};
    i.host.sharedAnswers = {SharedFileAnswer::Yes};
    i.run("");
    EXPECT_NE(
        std::find(i.host.shown.begin(), i.host.shown.end(),
                  "Shared file C:\\WINDOWS\\SYSTEM\\x.dll doesn't seem to be used by any programs. "
                  "Do you want to remove this file?"),
        i.host.shown.end());

    // A file another program still uses drops from 2 to 1, stays, and asks nothing.
    Installation two;
    two.addShared("two.dll", 2);
    two.host.yesNoAnswers = {true};
    two.run("");
    EXPECT_EQ(two.host.sharedCount(kSystem + "two.dll"), 1u);
    EXPECT_TRUE(two.host.hasFile(kSystem + "two.dll"));
    EXPECT_EQ(std::count_if(two.host.shown.begin(), two.host.shown.end(),
                            [](const std::string& s) { return s.rfind("Shared file ", 0) == 0; }),
              0);
}

TEST(UninstallRun, NoSharedFilesNoSharedCountsKey) {
    Installation i;
    i.run();
    EXPECT_EQ(i.host.registry.pathsOpened.count(upperCased(kSharedDllsKey)), 0u);
}

TEST(UninstallRun, BackupsComeBackOnlyOverUnchangedOrMissingFiles) {
    Installation i;
    FileStamp installed{7, 8, 0x00050000, 3};
    for (const char* name : {"same.dll", "changed.dll", "missing.dll"}) {
        i.host.addStampedFile("C:\\App\\Backup\\" + std::string(name), {1, 1, 1, 1});
        i.host.files[upperCased("C:\\App\\Backup\\" + std::string(name))].content = "backup";
        BackupRecord r{
            "C:\\App\\Backup\\" + std::string(name), kSystem + name, 0x00050000, 3, 7, 8};
        i.log.recordBackup(r.line());
    }
    i.host.addStampedFile(kSystem + "same.dll", installed);
    i.host.addStampedFile(kSystem + "changed.dll", {7, 9, 0x00050000, 3});
    i.host.yesNoAnswers = {true, true};
    i.run("");
    EXPECT_EQ(i.host.files.at(upperCased(kSystem + "same.dll")).content, "backup");
    EXPECT_EQ(i.host.files.at(upperCased(kSystem + "changed.dll")).content, "");
    EXPECT_EQ(i.host.files.at(upperCased(kSystem + "missing.dll")).content, "backup");
    EXPECT_TRUE(i.host.hasFile("C:\\App\\Backup\\same.dll"));  // the copies stay
    EXPECT_EQ(i.host.shown.at(2).rfind("Vortix Installer has taken backup copies", 0), 0u);

    Installation declined;
    declined.log.recordBackup(
        BackupRecord{"C:\\App\\Backup\\x.dll", kSystem + "x.dll", 0, 0, 0, 0}.line());
    declined.host.addFile("C:\\App\\Backup\\x.dll");
    declined.host.yesNoAnswers = {true, false};
    declined.run("");
    EXPECT_FALSE(declined.host.hasFile(kSystem + "x.dll"));
    // Silent runs never restore.
    Installation silent;
    silent.log.recordBackup(
        BackupRecord{"C:\\App\\Backup\\x.dll", kSystem + "x.dll", 0, 0, 0, 0}.line());
    silent.host.addFile("C:\\App\\Backup\\x.dll");
    silent.run();
    EXPECT_FALSE(silent.host.hasFile(kSystem + "x.dll"));
}

TEST(UninstallRun, EndsEarlyAndChangesNothing) {
    auto untouched = [](const Installation& i) {
        return i.host.hasFile("C:\\App\\app.exe") &&
               i.host.registry.findKey(RegistryRoot::CurrentUser, "Software\\Contavo");
    };
    {  // a damaged log
        Installation i;
        i.host.ownFile = withLog("MZ", i.log.buildText("Contavo Lite", ""), clockKeyDraw());
        i.host.ownFile[5] ^= 1;
        EXPECT_EQ(runUninstall(i.host.uninstall, parseCommandLine("")), 0);
        EXPECT_EQ(i.host.shown,
                  (std::vector<std::string>{"Uninstallation information corrupt. Aborting."}));
        EXPECT_TRUE(untouched(i));
        i.host.shown.clear();
        EXPECT_EQ(runUninstall(i.host.uninstall, parseCommandLine("/silent")), 0);
        EXPECT_TRUE(i.host.shown.empty());
    }
    {  // its own file unreadable
        Installation i;
        i.host.ownFileReadable = false;
        EXPECT_EQ(runUninstall(i.host.uninstall, parseCommandLine("")), 0);
        EXPECT_EQ(
            i.host.shown,
            (std::vector<std::string>{"Couldn't read uninstallation information. Aborting."}));
    }
    {  // a second instance
        Installation i;
        i.host.mutexes.insert("vuin_Contavo Lite_mutex");
        EXPECT_EQ(i.run(""), 0);
        EXPECT_TRUE(i.host.shown.empty());
        EXPECT_TRUE(untouched(i));
    }
    {  // the user says no
        Installation i;
        i.host.yesNoAnswers = {false};
        EXPECT_EQ(i.run(""), 0);
        EXPECT_TRUE(untouched(i));
    }
    {  // the pre-uninstall program vetoes
        Installation i;
        i.host.preUninstallExit = 0;
        EXPECT_EQ(i.run("/SILENT", "C:\\App\\ask.exe"), 0);
        EXPECT_EQ(i.host.programsRun, (std::vector<std::string>{"C:\\App\\ask.exe"}));
        EXPECT_TRUE(untouched(i));
    }
    {  // no rights on a key with values to delete
        Installation i;
        i.host.registry.key(RegistryRoot::CurrentUser, "Software\\Contavo").readOnly = true;
        i.host.yesNoAnswers = {true};
        EXPECT_EQ(i.run(""), 0);
        EXPECT_EQ(i.host.shown.back().rfind("You don't have required privileges", 0), 0u);
        EXPECT_TRUE(untouched(i));
    }
}

TEST(UninstallRun, PreUninstallProgramThatAgreesOrCannotStart) {
    for (std::optional<std::uint32_t> code :
         {std::optional<std::uint32_t>(1), std::optional<std::uint32_t>()}) {
        Installation i;
        i.host.preUninstallExit = code;
        EXPECT_EQ(i.run("/SILENT /NOREMOVE", "C:\\App\\ask.exe"), 1);
        EXPECT_FALSE(i.host.hasFile("C:\\App\\app.exe"));
        EXPECT_EQ(i.host.programsRunSilently, std::vector<bool>{true});
    }
    Installation none;
    none.run();
    EXPECT_TRUE(none.host.programsRun.empty());
}

TEST(UninstallRun, PreUninstallProgramsEnvironment) {
    using namespace std::string_literals;
    struct Case {
        std::string own;
        bool silent;
        std::string given;
    } cases[] = {
        // Put in its place by name, after the per-drive strings.
        {"=C:=C:\\\0PATH=C:\\W\0WINDIR=C:\\W\0\0"s, true,
         "=C:=C:\\\0PATH=C:\\W\0VXUNINST_SILENT=1\0WINDIR=C:\\W\0\0"s},
        {"\0\0"s, true, "VXUNINST_SILENT=1\0\0"s},
        // One inherited is never passed on: replaced, or left out of an interactive run.
        {"vxuninst_silent=0\0Z=2\0\0"s, true, "VXUNINST_SILENT=1\0Z=2\0\0"s},
        {"A=1\0VXUNINST_SILENT=1\0\0"s, false, "A=1\0\0"s},
        {"VXUNINST_SILENT=1\0\0"s, false, "\0\0"s},
        {"VXUNINST_SILENTLY=x\0\0"s, false, "VXUNINST_SILENTLY=x\0\0"s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(preUninstallEnvironment(c.own, c.silent), c.given) << c.own;
}

TEST(UninstallRun, RegistryWalkOnDeniedAndMissingKeys) {
    {  // read-only access to a key without logged values: walked, not fatal
        Installation i;
        i.host.registry.key(RegistryRoot::LocalMachine, "Software").readOnly = true;
        EXPECT_EQ(i.run(), 1);
        EXPECT_FALSE(i.host.registry.findKey(RegistryRoot::LocalMachine, "Software\\Plug"));
    }
    {  // not even readable: the pre-check stops the run on the NT family
        Installation i;
        i.host.registry.key(RegistryRoot::LocalMachine, "Software").denyRead = true;
        EXPECT_EQ(i.run(), 0);
        EXPECT_TRUE(i.host.hasFile("C:\\App\\app.exe"));
    }
    {  // elsewhere there is no pre-check: that root stops, the others are still walked
        Installation i;
        i.host.ntFamily = false;
        i.host.registry.key(RegistryRoot::CurrentUser, "Software").denyRead = true;
        EXPECT_EQ(i.run(), 1);
        EXPECT_TRUE(i.host.registry.findKey(RegistryRoot::CurrentUser, "Software\\Contavo"));
        EXPECT_FALSE(i.host.registry.findKey(RegistryRoot::LocalMachine, "Software\\Plug"));
        EXPECT_EQ(i.host.registry.openKeys(), 0);
    }
}

TEST(UninstallRun, PathsThatAreNotPlainLocalPathsAreNeverDeleted) {
    Installation i;
    for (const char* path :
         {"", "C:\\", "relative\\file.txt", "\\\\server\\share\\f", "C:\\App\\..\\..\\boot.ini"}) {
        i.host.addFile(path);
        i.log.recordFile(path);
    }
    i.host.directories.insert("C:\\");
    i.log.recordDirectory("C:\\");
    i.host.yesNoAnswers = {true};
    i.run("/NOREMOVE");
    for (const char* path :
         {"", "C:\\", "relative\\file.txt", "\\\\server\\share\\f", "C:\\App\\..\\..\\boot.ini"})
        EXPECT_TRUE(i.host.hasFile(path)) << path;
    EXPECT_TRUE(i.host.directories.count("C:\\"));
    EXPECT_NE(i.host.details.find("relative\\file.txt\r\n"), std::string::npos);
    EXPECT_NE(i.host.details.find("Couldn't remove following directories:\r\nC:\\\r\n"),
              std::string::npos);
}

TEST(UninstallRun, SelfRemovalFallsBackToWininit) {
    Installation i;
    i.host.restartDeletionWorks = false;
    i.run("/SILENT");
    EXPECT_EQ(i.host.wininit, "[Rename]\r\nNUL=C:\\WINDOWS\\APPUNI~1.EXE");
    Installation existing;
    existing.host.restartDeletionWorks = false;
    existing.host.wininit = "[boot]\r\n[Rename]\r\nNUL=C:\\OTHER\r\n";
    existing.run("/SILENT");
    EXPECT_EQ(existing.host.wininit,
              "[boot]\r\n[Rename]\r\nNUL=C:\\WINDOWS\\APPUNI~1.EXE\r\nNUL=C:\\OTHER\r\n");
}

TEST(UninstallRun, CommandLineOptions) {
    UninstallOptions o = parseCommandLine("\"C:\\WINDOWS\\X Uninstaller.exe\" /silent /NoRemove");
    EXPECT_TRUE(o.silent);
    EXPECT_TRUE(o.noRemove);
    o = parseCommandLine("\"C:\\x.exe\"");
    EXPECT_FALSE(o.silent || o.noRemove);
    EXPECT_TRUE(parseCommandLine("x/SILENTLY").silent);  // a substring anywhere
}

#include "installer/common/uninstall_log.h"

#include <gtest/gtest.h>

#include "tests/support/bytes.h"

#include "installer/common/local_path.h"
#include "installer/common/log_context.h"
#include "installer/common/uninstaller_name.h"

using namespace vortix;

using testing_support::lit;

namespace {

const std::string kHeader =
    lit("Contavo Lite\0"
        "102\0C:\\App\\ask.exe\0\r\n");

LogContext sampleInstall() {
    LogContext log;
    log.recordShared("C:\\Windows\\System\\a.dll");
    log.recordShared("C:\\Windows\\System\\b.dll");
    log.recordBackup("C:\\App\\Backup\\a.dll\tC:\\Windows\\System\\a.dll\t65536\t2\t30000000\t-5");
    log.recordBackup("C:\\App\\Backup\\c.dll\tC:\\Windows\\System\\c.dll\t1\t0\t1\t2");
    log.recordDirectory("C:\\App");
    log.recordFile("C:\\App\\ctlite.exe");
    log.recordDirectory("C:\\App\\Help");
    log.recordFile("C:\\App\\Help\\ctlite.hlp");
    return log;
}

UninstallLog parsed(const std::string& text) {
    auto result = parseLogText(text);
    EXPECT_TRUE(std::holds_alternative<UninstallLog>(result));
    return std::get<UninstallLog>(result);
}

}  // namespace

TEST(LogText, CompletedInstallation) {
    LogContext log = sampleInstall();
    log.registryWritten = true;
    std::string text = log.buildText("Contavo Lite", "C:\\App\\ask.exe");
    EXPECT_EQ(text,
              kHeader +
                  "Shared:\r\nC:\\Windows\\System\\b.dll\r\nC:\\Windows\\System\\a.dll\r\n"
                  "Backups:\r\n"
                  "C:\\App\\Backup\\a.dll\tC:\\Windows\\System\\a.dll\t65536\t2\t30000000\t-5\r\n"
                  "C:\\App\\Backup\\c.dll\tC:\\Windows\\System\\c.dll\t1\t0\t1\t2\r\n"
                  "Files:\r\nC:\\App\\Help\\ctlite.hlp\r\nC:\\App\\ctlite.exe\r\n"
                  "Directories:\r\nC:\\App\\Help\r\nC:\\App\r\n"
                  "Registry:\r\n" +
                  std::string(32, '\0'));
    // Everything written is emptied: a second text holds no records (but the
    // registry phase has still happened: four empty roots).
    EXPECT_EQ(log.buildText("Contavo Lite", ""),
              lit("Contavo Lite\0"
                  "102\0\0\r\nShared:\r\nBackups:\r\nFiles:\r\nDirectories:\r\nRegistry:\r\n") +
                  std::string(32, '\0'));
}

TEST(LogText, RollbackBeforeTheRegistryPhaseEndsAfterTheRegistryHeader) {
    LogContext log = sampleInstall();
    log.registry().root(RegistryRoot::CurrentUser).subkey("Never written", kKeyCreated);
    log.rollback = true;
    std::string text = log.buildText("Contavo Lite", "C:\\App\\ask.exe");
    EXPECT_EQ(text.substr(0, 20), lit("Contavo Lite\0"
                                      "102\0\0\r\n"));  // no program
    EXPECT_EQ(text.substr(text.size() - 11), "Registry:\r\n");
    // Plug-in records alone still give a tree.
    LogContext plugin;
    plugin.recordValue(kRootHandles[1], "Software\\Plug", "Key");
    std::string withTree = plugin.buildText("P", "");
    UninstallLog back = parsed(withTree);
    ASSERT_TRUE(back.hasRegistry);
    EXPECT_EQ(
        back.registry.root(RegistryRoot::CurrentUser).subkeys.at(0).subkeys.at(0).values.at(0).name,
        "Key");
}

TEST(LogText, ReadsBackWhatWasWritten) {
    LogContext log = sampleInstall();
    log.registryWritten = true;
    log.registry()
        .root(RegistryRoot::LocalMachine)
        .subkey("Software", kKeyExisted)
        .subkey("App", kKeyCreated);
    UninstallLog back = parsed(log.buildText("Contavo Lite", "C:\\App\\ask.exe"));
    EXPECT_EQ(back.productName, "Contavo Lite");
    EXPECT_EQ(back.formatTag, "102");
    EXPECT_TRUE(back.runsPreUninstallProgram());
    EXPECT_EQ(back.preUninstallProgram, "C:\\App\\ask.exe");
    EXPECT_EQ(back.shared, (std::vector<std::string>{"C:\\Windows\\System\\b.dll",
                                                     "C:\\Windows\\System\\a.dll"}));
    ASSERT_EQ(back.backupLines.size(), 2u);
    std::optional<BackupRecord> first = BackupRecord::parse(back.backupLines[0]);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->backupCopy, "C:\\App\\Backup\\a.dll");
    EXPECT_EQ(first->versionHigh, 65536);
    EXPECT_EQ(first->timeLow, -5);
    EXPECT_EQ(first->line(), back.backupLines[0]);
    EXPECT_EQ(back.files.front(), "C:\\App\\Help\\ctlite.hlp");
    EXPECT_EQ(back.directories.front(), "C:\\App\\Help");  // deepest first
    EXPECT_EQ(back.registry.root(RegistryRoot::LocalMachine).subkeys.at(0).subkeys.at(0).flag,
              kKeyCreated);
}

TEST(LogText, ReaderRules) {
    // Older formats carry no program field; short lines and short backup sections are skipped.
    std::string text = lit("Old\0"
                           "101\0C:\\x.exe\0\r\n") +
                       "Shared:\r\nab\r\nC:\\s.dll\r\nBackups:\r\nxy\r\nFiles:\r\n\r\nC:\\f\r\n"
                       "Directories:\r\nRegistry:\r\n";
    UninstallLog log = parsed(text);
    EXPECT_EQ(log.formatTag, "101");
    EXPECT_EQ(log.preUninstallProgram, "");
    EXPECT_FALSE(log.runsPreUninstallProgram());
    EXPECT_EQ(log.shared, (std::vector<std::string>{"C:\\s.dll"}));
    EXPECT_TRUE(log.backupLines.empty());
    EXPECT_EQ(log.files, (std::vector<std::string>{"C:\\f"}));
    EXPECT_FALSE(log.hasRegistry);
    // A missing section or a broken tree is corruption.
    EXPECT_EQ(std::get<LogError>(parseLogText(lit("P\0"
                                                  "102\0\0\r\nShared:\r\nFiles:\r\n"))),
              LogError::Corrupt);
    EXPECT_EQ(std::get<LogError>(parseLogText(text + "\x01")), LogError::Corrupt);
    EXPECT_EQ(std::get<LogError>(parseLogText("no line end")), LogError::Corrupt);
}

TEST(UninstallerFile, LogAppendedToTheProgramReadsBack) {
    std::string image = "MZ fake program image";
    LogContext log = sampleInstall();
    log.registryWritten = true;
    std::string file = withLog(image, log.buildText("Contavo Lite", ""), clockKeyDraw());
    ASSERT_TRUE(splitUninstaller(file));
    EXPECT_EQ(splitUninstaller(file)->programImage, image);
    auto read = readUninstallLog(file);
    ASSERT_TRUE(std::holds_alternative<UninstallLog>(read));
    EXPECT_EQ(std::get<UninstallLog>(read).files.size(), 2u);

    // Any changed byte of the log, or a trailer pointing anywhere else, is corruption.
    for (std::size_t i = image.size(); i < file.size(); ++i) {
        std::string damaged = file;
        damaged[i] = static_cast<char>(damaged[i] + 1);
        auto result = readUninstallLog(damaged);
        ASSERT_TRUE(std::holds_alternative<LogError>(result)) << "byte " << i;
        EXPECT_EQ(messageFor(std::get<LogError>(result)),
                  "Uninstallation information corrupt. Aborting.");
    }
    EXPECT_TRUE(std::holds_alternative<LogError>(readUninstallLog("abc")));
    EXPECT_TRUE(std::holds_alternative<LogError>(readUninstallLog(image)));
}

TEST(UninstallerFile, MergePutsTheLatestRecordsFirst) {
    LogContext install = sampleInstall();
    install.registryWritten = true;
    install.registry()
        .root(RegistryRoot::CurrentUser)
        .subkey("Software", kKeyExisted)
        .subkey("App", kKeyCreated)
        .addValue("Size", kValueWritten);
    std::string file = withLog("IMAGE", install.buildText("Contavo Lite", ""), clockKeyDraw());

    LogContext later;
    later.recordFile("C:\\App\\plugin.dll");
    later.recordFile("C:\\App\\plugin.dat");
    later.recordBackup("C:\\App\\Backup\\d.dll\tC:\\d.dll\t1\t1\t1\t1");
    later.recordValue(kRootHandles[1], "software\\app", "SIZE");     // already logged
    later.recordValue(kRootHandles[1], "Software\\App\\", "Color");  // new
    std::optional<std::string> merged = mergeIntoUninstaller(file, later, clockKeyDraw());
    ASSERT_TRUE(merged);
    EXPECT_EQ(splitUninstaller(*merged)->programImage, "IMAGE");
    UninstallLog log = std::get<UninstallLog>(readUninstallLog(*merged));
    EXPECT_EQ(log.files,
              (std::vector<std::string>{"C:\\App\\plugin.dat", "C:\\App\\plugin.dll",
                                        "C:\\App\\Help\\ctlite.hlp", "C:\\App\\ctlite.exe"}));
    ASSERT_EQ(log.backupLines.size(), 3u);
    EXPECT_EQ(log.backupLines[0], "C:\\App\\Backup\\d.dll\tC:\\d.dll\t1\t1\t1\t1");
    const RegistryKeyNode& app =
        log.registry.root(RegistryRoot::CurrentUser).subkeys.at(0).subkeys.at(0);
    EXPECT_EQ(app.flag, kKeyCreated);
    ASSERT_EQ(app.values.size(), 2u);
    EXPECT_TRUE(later.files().empty());  // merged records are emptied

    // Merging again with nothing new changes nothing but the sealing.
    std::optional<std::string> again = mergeIntoUninstaller(*merged, later, clockKeyDraw());
    ASSERT_TRUE(again);
    EXPECT_EQ(std::get<UninstallLog>(readUninstallLog(*again)).files, log.files);
}

TEST(UninstallerFile, MergeIntoAnInvalidLogChangesNothing) {
    LogContext records;
    records.recordFile("C:\\x");
    std::string notALog = withLog("IMAGE", "Files:\r\nBackups:\r\n", clockKeyDraw());
    EXPECT_FALSE(mergeIntoUninstaller(notALog, records, clockKeyDraw()));
    EXPECT_EQ(records.files().size(), 1u);  // kept for another try
    std::string damaged = withLog("IMAGE", LogContext().buildText("P", ""), clockKeyDraw());
    damaged[7] ^= 0x20;
    EXPECT_FALSE(mergeIntoUninstaller(damaged, records, clockKeyDraw()));
}

TEST(UninstallerName, ReservedCharactersBecomeUnderscores) {
    EXPECT_EQ(uninstallerStem("Contavo: Lite?"), "Contavo_ Lite_");
    EXPECT_EQ(uninstallerStem("a/b\\c|d*e\"f<g>h"), "a_b_c_d_e_f_g_h");
    EXPECT_EQ(uninstallerPath("C:\\WINDOWS", "What?"), "C:\\WINDOWS\\What_ Uninstaller.exe");
    EXPECT_EQ(uninstallerPath("C:\\WINDOWS\\", "X"), "C:\\WINDOWS\\X Uninstaller.exe");
    EXPECT_EQ(uninstallShortcutName("Contavo: Lite"), "Uninstall Contavo_ Lite.lnk");
}

TEST(Rollback, WhatAnAbortedInstallationUndoes) {
    LogContext log;
    EXPECT_EQ(rollbackAction(true, true, log), RollbackAction::RemoveRecordedFiles);
    EXPECT_EQ(rollbackAction(false, false, log), RollbackAction::RemoveRecordedFiles);
    EXPECT_EQ(rollbackAction(false, true, log), RollbackAction::RunRollbackLog);
    log.uninstallerWritten = true;
    EXPECT_EQ(rollbackAction(false, true, log), RollbackAction::RunInstalledUninstaller);
}

TEST(LocalPath, OnlyPlainAbsoluteLocalPaths) {
    for (const char* good : {"C:\\a", "c:\\Program Files\\App\\app.exe", "Z:\\dir\\"})
        EXPECT_TRUE(isPlainLocalPath(good)) << good;
    for (const char* bad :
         {"", "C:", "C:\\", "C:\\\\", "C:a", "a\\b", "\\\\server\\share\\x", "\\\\?\\C:\\x",
          "C:\\a\\..\\..\\Windows", "C:\\a\\.", "1:\\x", "C:\\a:b"})
        EXPECT_FALSE(isPlainLocalPath(bad)) << bad;
}

// The test build's failures laid over the installation's tables, on the fake
// machine: what each kind of item in VXSETUP_FAULTS refuses, and that everything
// else passes through.
#include "installer/setup/fault_tables.h"

#include <gtest/gtest.h>

#include "tests/installer/support/fake_machine.h"

using namespace vortix;
using testing_support::FakeMachine;

namespace {

class FaultTables : public testing::Test {
protected:
    FaultPlan plan = FaultPlan::parse(
        "key:HKEY_CURRENT_USER\\Software\\Denied;key:HKEY_CURRENT_USER\\Software\\App\\\\Locked;"
        "nowrite:C:\\ReadOnly\\;file:C:\\App\\fails.txt;inuse:C:\\App\\loaded.exe");
    FakeMachine machine;
    FaultyFiles files{machine.install.files, plan};
    FaultyShell shell{machine.install.shell, plan};
    FaultyRegistry registry{machine.install.registry, plan};

    void SetUp() override {
        machine.addDirectory("C:\\App");
        machine.addDirectory("C:\\ReadOnly");
    }
};

}  // namespace

TEST_F(FaultTables, KeysAndValuesAreRefusedByTheirPaths) {
    KeyHandle user = registry.rootKey(RegistryRoot::CurrentUser), key = 0;
    EXPECT_EQ(registry.createKey(user, "Software\\denied", KeyAccess::All, key),
              KeyCreate::AccessDenied);
    EXPECT_FALSE(machine.registry.findKey(RegistryRoot::CurrentUser, "Software\\Denied"));
    KeyHandle software = 0, app = 0;
    ASSERT_EQ(registry.createKey(user, "Software", KeyAccess::All, software), KeyCreate::Created);
    // Component by component, as the run makes them, the path is the same.
    EXPECT_EQ(registry.createKey(software, "Denied", KeyAccess::Read, key),
              KeyCreate::AccessDenied);
    ASSERT_EQ(registry.createKey(software, "App", KeyAccess::All, app), KeyCreate::Created);
    EXPECT_FALSE(registry.setValue(app, "locked", RegistryValueType::String, "x"));
    EXPECT_TRUE(registry.setValue(app, "Open", RegistryValueType::String, "x"));
    registry.closeKey(app);
    registry.closeKey(software);
    EXPECT_EQ(machine.registry.openKeys(), 0);
    EXPECT_EQ(machine.registry.findKey(RegistryRoot::CurrentUser, "Software\\App")->values.size(),
              1u);
}

TEST_F(FaultTables, FilesThatCannotBeWrittenAndFoldersThatRefuseNewFiles) {
    EXPECT_EQ(files.createNewFile("C:\\ReadOnly\\x.tmp"), CreateResult::AccessDenied);
    EXPECT_EQ(files.createDirectory("C:\\ReadOnly\\Sub"), CreateResult::AccessDenied);
    EXPECT_FALSE(files.writeFile("C:\\ReadOnly\\x.txt", "x"));
    EXPECT_FALSE(files.writeFile("C:\\App\\FAILS.TXT", "x"));
    EXPECT_FALSE(files.writeFileData(0, PackagedFile(), "C:\\App\\fails.txt"));
    machine.addFile("C:\\App\\source.txt");
    EXPECT_FALSE(files.copyFile("C:\\App\\source.txt", "C:\\App\\fails.txt"));
    EXPECT_FALSE(shell.writeProfileString("C:\\App\\fails.txt", "S", "k", "v"));
    ShortcutSpec link;
    link.file = "C:\\App\\fails.txt";
    EXPECT_FALSE(shell.createShortcut(link));
    EXPECT_FALSE(machine.hasFile("C:\\App\\fails.txt"));
    // Elsewhere everything passes through.
    EXPECT_EQ(files.createNewFile("C:\\App\\x.tmp"), CreateResult::Created);
    EXPECT_TRUE(files.writeFile("C:\\App\\ok.txt", "x"));
    EXPECT_TRUE(shell.writeProfileString("C:\\App\\ok.ini", "S", "k", "v"));
}

TEST_F(FaultTables, AFileInUseCanBeRenamedButNotDeletedOrReplaced) {
    machine.addFile("C:\\App\\loaded.exe", "running");
    machine.addFile("C:\\App\\new.exe", "new");
    EXPECT_EQ(files.openExclusive("C:\\App\\loaded.exe"), UseTest::InUse);
    EXPECT_FALSE(files.deleteFile("C:\\App\\loaded.exe"));
    EXPECT_FALSE(files.moveOver("C:\\App\\new.exe", "C:\\App\\loaded.exe"));
    ASSERT_TRUE(files.moveFile("C:\\App\\loaded.exe", "C:\\App\\loaded.old"));
    // The file that takes its name afterwards is a new one, free to go.
    EXPECT_TRUE(files.moveOver("C:\\App\\new.exe", "C:\\App\\loaded.exe"));
    EXPECT_EQ(files.openExclusive("C:\\App\\loaded.exe"), UseTest::Free);
    EXPECT_TRUE(files.deleteFile("C:\\App\\loaded.exe"));
}

// The shared-file counts and the restart queue over the registry table, on the
// fake registry and the fake machine's restart queue.
#include <gtest/gtest.h>

#include "installer/common/registry.h"
#include "installer/common/restart_queue.h"
#include "installer/common/shared_counts.h"
#include "tests/installer/support/fake_machine.h"

using namespace vortix;
using testing_support::FakeMachine;
using testing_support::FakeRegistry;
using namespace std::string_literals;

namespace {

class SystemTables : public testing::Test {
protected:
    FakeMachine machine;
    FakeRegistry& registry = machine.registry;
    RestartSystem& restart = machine.install.restart;

    void setRaw(RegistryRoot root, const std::string& key, const std::string& name,
                RegistryValueType type, const std::string& bytes) {
        registry.key(root, key).values[upperCased(name)] = {type, bytes};
    }
};

}  // namespace

TEST_F(SystemTables, StringValuesAreReadUpToTheirFirstNulAndOnlyAsStrings) {
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion";
    setRaw(RegistryRoot::LocalMachine, key, "Org", RegistryValueType::String, "Vortix\0junk\0"s);
    setRaw(RegistryRoot::LocalMachine, key, "Count", RegistryValueType::Dword, "\1\0\0\0"s);
    EXPECT_EQ(readRegistryString(registry, RegistryRoot::LocalMachine, key, "org"), "Vortix");
    EXPECT_FALSE(readRegistryString(registry, RegistryRoot::LocalMachine, key, "Count"));
    EXPECT_FALSE(readRegistryString(registry, RegistryRoot::LocalMachine, key, "Missing"));
    EXPECT_FALSE(readRegistryString(registry, RegistryRoot::CurrentUser, key, "Org"));
    std::optional<RegistryValue> count =
        readRegistryValue(registry, RegistryRoot::LocalMachine, key, "Count");
    ASSERT_TRUE(count);
    EXPECT_EQ(count->type, kRegistryTypeDword);
    registry.key(RegistryRoot::LocalMachine, key).denyRead = true;
    EXPECT_FALSE(readRegistryString(registry, RegistryRoot::LocalMachine, key, "Org"));
    EXPECT_EQ(registry.openKeys(), 0);
}

TEST_F(SystemTables, SharedCountsAreLittleEndianDwordsUnderSharedDlls) {
    SharedCounts counts(registry);
    // The uninstaller never makes the key; the setup program does.
    EXPECT_FALSE(counts.open(SharedCountsOpen::ExistingOnly));
    ASSERT_TRUE(counts.open(SharedCountsOpen::CreateWhenMissing));
    EXPECT_FALSE(counts.count("C:\\a.dll"));
    EXPECT_TRUE(counts.set("C:\\a.dll", 0x01020304));
    EXPECT_EQ(counts.count("c:\\A.DLL"), 0x01020304u);
    EXPECT_EQ(
        registry.findKey(RegistryRoot::LocalMachine, kSharedDllsKey)->values.at("C:\\A.DLL").second,
        "\4\3\2\1"s);
    // Counts another program wrote in another type are no counts.
    setRaw(RegistryRoot::LocalMachine, kSharedDllsKey, "C:\\text.dll", RegistryValueType::String,
           "3");
    setRaw(RegistryRoot::LocalMachine, kSharedDllsKey, "C:\\wide.dll", RegistryValueType::Dword,
           "\1\0\0\0\0"s);
    EXPECT_FALSE(counts.count("C:\\text.dll"));
    EXPECT_FALSE(counts.count("C:\\wide.dll"));
    EXPECT_TRUE(counts.remove("C:\\a.dll"));
    EXPECT_FALSE(counts.count("C:\\a.dll"));
    counts.close();
    EXPECT_EQ(registry.openKeys(), 0);
    EXPECT_FALSE(counts.set("C:\\a.dll", 1));  // closed
    EXPECT_TRUE(counts.open(SharedCountsOpen::ExistingOnly));
}

TEST_F(SystemTables, PendingRenamesAreStringPairsInOneMultiString) {
    EXPECT_FALSE(pendingFileRenames(registry));  // no Session Manager key
    registry.key(RegistryRoot::LocalMachine, kSessionManagerKey);
    EXPECT_EQ(pendingFileRenames(registry), std::vector<std::string>());
    struct Case {
        std::string bytes;
        std::vector<std::string> strings;
    };
    for (const Case& c : {
             Case{"\\??\\C:\\a\0\0\0"s, {"\\??\\C:\\a", ""}},  // a deletion
             Case{"\\??\\C:\\t\0!\\??\\C:\\a\0\0"s, {"\\??\\C:\\t", "!\\??\\C:\\a"}},
             Case{"x\0\0y\0z\0\0"s, {"x", "", "y", "z"}},
             Case{"unterminated"s, {"unterminated"}},
         }) {
        SCOPED_TRACE(c.bytes);
        setRaw(RegistryRoot::LocalMachine, kSessionManagerKey, kPendingRenamesValue,
               RegistryValueType::MultiString, c.bytes);
        EXPECT_EQ(pendingFileRenames(registry), c.strings);
    }
    setPendingFileRenames(registry, {"x", "", "y", "z"});
    EXPECT_EQ(registry.findKey(RegistryRoot::LocalMachine, kSessionManagerKey)
                  ->values.at(upperCased(kPendingRenamesValue)),
              std::make_pair(RegistryValueType::MultiString, "x\0\0y\0z\0\0"s));
    // None left: the value goes.
    setPendingFileRenames(registry, {});
    EXPECT_TRUE(registry.findKey(RegistryRoot::LocalMachine, kSessionManagerKey)->values.empty());
    EXPECT_EQ(registry.openKeys(), 0);
}

TEST_F(SystemTables, DeletionsAreWithdrawnFromTheQueueTheSystemKeeps) {
    machine.setPendingRenames({"\\??\\C:\\App\\a.exe", "", "\\??\\C:\\other", ""});
    cancelDeletionAtRestart(restart, registry, "c:\\app\\A.EXE");
    EXPECT_EQ(machine.pendingRenames(), (std::vector<std::string>{"\\??\\C:\\other", ""}));
    // The 95 family: the line in wininit.ini, by the short path.
    machine.ntFamily = false;
    machine.wininit = "[Rename]\r\nNUL=SHORT:C:\\App\\a.exe\r\nNUL=C:\\X\r\n";
    cancelDeletionAtRestart(restart, registry, "C:\\App\\a.exe");
    EXPECT_EQ(machine.wininit, "[Rename]\r\nNUL=C:\\X\r\n");
    EXPECT_EQ(machine.pendingRenames(), (std::vector<std::string>{"\\??\\C:\\other", ""}));
}

TEST_F(SystemTables, WininitTakesWhatTheSystemCannotDoAtRestart) {
    replaceAtRestartOrByWininit(restart, "C:\\T\\new.tmp", "C:\\App\\a.dll");
    deleteAtRestartOrByWininit(restart, "C:\\App\\old.exe");
    EXPECT_EQ(machine.replacedAtRestart.at(0),
              std::make_pair("C:\\T\\new.tmp"s, "C:\\App\\a.dll"s));
    EXPECT_EQ(machine.deletedAtRestart, std::vector<std::string>{"C:\\App\\old.exe"});
    EXPECT_FALSE(machine.wininit);

    machine.restartReplaceWorks = machine.restartDeletionWorks = false;
    replaceAtRestartOrByWininit(restart, "C:\\T\\new.tmp", "C:\\App\\a.dll");
    deleteAtRestartOrByWininit(restart, "C:\\App\\old.exe");
    EXPECT_EQ(
        machine.wininit,
        "[Rename]\r\nNUL=SHORT:C:\\App\\old.exe\r\nSHORT:C:\\App\\a.dll=SHORT:C:\\T\\new.tmp\r\n");
}

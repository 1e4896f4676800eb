// A product installed over itself and updated, under Wine, as a user would: the
// removal offered before a reinstall, the stale uninstaller, update packages
// refused and accepted, and an update that fails; the prefix compared before and
// after.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/installer/setup/vxsetup_fixture.h"

using namespace vxsetup_testing;

namespace {

const char* const kProductKey = "Software\\VxPrev";

// The product (version 1.0, a shared file, its version in the marker) and its
// updates, each a package folder of its own.
class PreviousInstallation : public testing::Test {
protected:
    void SetUp() override {
        dir_ = programFiles() + "\\VxPrev";
        before_ = takeSnapshot(kNotCompared);
    }
    void TearDown() override {
        if (exists(installedUninstaller("VxPrev")))
            uninstall("VxPrev");
        simulateRestart();
    }

    static std::string marker() {
        return "[package.marker]\nroot = \"HKLM\"\nkey = 'Software\\VxPrev'\nvalue = \"Version\"\n";
    }

    Package product() {
        PackageMaker maker("prev-product");
        maker.file("app.txt", "version 1.0");
        return maker.build(R"(
[package]
product = "VxPrev"
install_dir = '<ProgramFiles>\VxPrev'
)" + marker() + R"(
[registry.HKLM.'Software\VxPrev']
values = [{ name = "Version", data = "1.0" }, { name = "Path", data = '<InstallDir>' }]

[[files]]
source = "app.txt"
target = '<InstallDir>\app.txt'
[[files]]
source = "app.txt"
target = '<SystemDir>\vxprev-shared.txt'
shared = true
)");
    }

    // An update to 1.5 from `from` (a TOML value), with a key of its own.
    Package update(const std::string& name, const std::string& from) {
        PackageMaker maker(name);
        maker.file("app.txt", "version 1.5");
        maker.file("extra.txt", "new in 1.5");
        return maker.build(R"(
[package]
product = "VxPrev"
)" + marker() + R"(
[package.destination_from_registry]
root = "HKLM"
key = 'Software\VxPrev'
value = "Path"

[package.update]
from = )" + from + R"(
to = "1.5"

[registry.HKLM.'Software\VxPrev']
values = [{ name = "Version", data = "1.5" }]
[registry.HKLM.'Software\VxPrev'.subkeys.Update]
values = [{ name = "Applied", data = "yes" }]

[[files]]
source = "app.txt"
target = '<InstallDir>\app.txt'
[[files]]
source = "extra.txt"
target = '<InstallDir>\extra.txt'
)");
    }

    std::optional<DWORD> sharedCount() const {
        return dwordValue(HKEY_LOCAL_MACHINE, kSharedDlls,
                          windowsDirectory() + "\\system32\\vxprev-shared.txt");
    }
    std::string version() const {
        DWORD type = 0;
        return stringValue(HKEY_LOCAL_MACHINE, kProductKey, "Version", type);
    }

    std::string dir_;
    PrefixSnapshot before_;
};

}  // namespace

// A silent reinstall runs the installed uninstaller first, and one installation
// remains, counted once. Removed from its shortcut, the uninstaller waits for the
// restart to go; a reinstall before then deletes it and writes a new one. The
// last removal leaves the prefix as it was.
TEST_F(PreviousInstallation, ReinstallRemovesTheProductFirstOrItsStaleUninstaller) {
    Package package = product();
    ASSERT_EQ(runSetup(package), 1u);
    ASSERT_EQ(runSetup(package), 1u);
    EXPECT_EQ(sharedCount(), std::optional<DWORD>(1));
    ASSERT_EQ(uninstall("VxPrev"), 1u);
    ASSERT_TRUE(exists(installedUninstaller("VxPrev")));
    ASSERT_EQ(runSetup(package), 1u);
    for (const std::string& pending : pendingRenames())
        EXPECT_EQ(pending.find("VxPrev Uninstaller.exe"), std::string::npos) << pending;
    EXPECT_EQ(sharedCount(), std::optional<DWORD>(1));
    EXPECT_EQ(uninstall("VxPrev"), 1u);
    simulateRestart();
    expectNoDifferences(before_, {});
}

// The user declines in the uninstaller (it ends with 0): setup asks whether to
// re-install anyway, and No leaves the installation as it was.
TEST_F(PreviousInstallation, AnUninstallerThatRemovesNothingLeadsToTheQuestion) {
    Package package = product();
    ASSERT_EQ(runSetup(package), 1u);
    PrefixSnapshot installed = takeSnapshot(kNotCompared);
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    EndsWithTheTest ends{setup};
    User user(setup.process.dwProcessId);
    HWND box = user.waitFor("VxPrev", 60, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              "VxPrev is already installed on your system. It is highly recommended to uninstall "
              "the application before re-installing. Do you want to uninstall VxPrev before "
              "re-installing?");
    User::answer(box, IDYES);
    HWND confirmation = waitForAnyWindow("Vortix Uninstaller", 0xFFFF);
    ASSERT_NE(confirmation, nullptr);
    User::answer(confirmation, IDNO);
    box = user.waitFor("VxPrev", 60, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              "Installation was not removed. Do you still want to re-install?");
    User::answer(box, IDNO);
    EXPECT_EQ(setup.wait(), 0u);
    expectNoDifferences(installed, {});
}

// Too old, already newer, or not installed at all: nothing is installed.
TEST_F(PreviousInstallation, RefusedUpdatesInstallNothing) {
    EXPECT_EQ(runSetup(update("prev-any", "\"1.0\"")), 0u);
    expectNoDifferences(before_, {});
    ASSERT_EQ(runSetup(product()), 1u);
    PrefixSnapshot installed = takeSnapshot(kNotCompared);
    for (const char* from : {"\"1.1\"", "[\"0.9\", \"1.1\"]"}) {
        SCOPED_TRACE(from);
        EXPECT_EQ(runSetup(update("prev-refused", from)), 0u);
        expectNoDifferences(installed, {});
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("2.0"), 4);
    RegCloseKey(key);
    EXPECT_EQ(runSetup(update("prev-newer", "\"1.0\"")), 0u);
    EXPECT_EQ(readAll(dir_ + "\\app.txt"), "version 1.0");
    EXPECT_FALSE(exists(dir_ + "\\extra.txt"));
}

// An update goes into the installed product's log: the product's uninstaller
// takes the update's files too, and the prefix is as before the first install.
TEST_F(PreviousInstallation, AnAcceptedUpdateIsRemovedWithTheProduct) {
    ASSERT_EQ(runSetup(product()), 1u);
    std::string uninstaller = readAll(installedUninstaller("VxPrev"));
    ASSERT_EQ(runSetup(update("prev-update", "\"1.0\"")), 1u);
    EXPECT_EQ(readAll(dir_ + "\\app.txt"), "version 1.5");
    EXPECT_EQ(readAll(dir_ + "\\extra.txt"), "new in 1.5");
    EXPECT_EQ(version(), std::string("1.5\0", 4));
    // The same program, its log grown by the update's records.
    std::string updated = readAll(installedUninstaller("VxPrev"));
    EXPECT_GT(updated.size(), uninstaller.size());
    // Updated once, it refuses to update again.
    EXPECT_EQ(runSetup(update("prev-update", "\"1.0\"")), 0u);
    EXPECT_EQ(uninstall("VxPrev"), 1u);
    simulateRestart();
    expectNoDifferences(before_, {});
}

// An update whose registry key cannot be made is rolled back: the product's
// files and version are as they were, and it is still removed whole.
TEST_F(PreviousInstallation, AFailedUpdateLeavesTheProductWorking) {
    ASSERT_EQ(runSetup(product()), 1u);
    PrefixSnapshot installed = takeSnapshot(kNotCompared);
    EXPECT_EQ(runSetup(update("prev-failing", "\"1.0\""), "/SILENT",
                       "key:HKEY_LOCAL_MACHINE\\Software\\VxPrev\\Update"),
              0u);
    EXPECT_EQ(readAll(dir_ + "\\app.txt"), "version 1.0");
    EXPECT_EQ(version(), std::string("1.0\0", 4));
    expectNoDifferences(installed, {});
    EXPECT_EQ(uninstall("VxPrev"), 1u);
    simulateRestart();
    expectNoDifferences(before_, {});
}

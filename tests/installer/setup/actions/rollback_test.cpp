#include "installer/setup/actions/rollback.h"

#include <gtest/gtest.h>

#include "installer/common/uninstall_log.h"
#include "tests/installer/setup/actions/install_machine.h"
#include "tests/installer/support/machine_state.h"

using namespace vortix;
using testing_support::Installation;
using testing_support::kExtracted;
using testing_support::kUninstaller;
using testing_support::machineState;

TEST(Rollback, EachWayOfUndoingLeavesTheMachineAsItWas) {
    struct Case {
        const char* name;
        std::uint32_t options;
        bool completes;  // the run completes, and a later stage gives up
        std::vector<std::string> uninstallersRun;
    };
    for (const Case& c : {
             // No uninstaller of its own: the records are undone in memory.
             Case{"in memory", 0, false, {}},
             Case{"update", kOptionCreateUninstaller | kOptionUpdate, false, {}},
             // The uninstaller is written: it removes the installation and then goes.
             Case{"installed uninstaller", kOptionCreateUninstaller, true, {kUninstaller}},
             // Not yet written: the extracted one runs with the log appended, then goes.
             Case{"extracted uninstaller", kOptionCreateUninstaller, false, {kExtracted}},
         }) {
        SCOPED_TRACE(c.name);
        Installation m(c.options);
        if (!c.completes)  // the registry refuses the package's key
            m.host.registry.key(RegistryRoot::CurrentUser, "Software").denyCreate = true;
        ASSERT_EQ(m.run().completed, c.completes);
        ASSERT_TRUE(m.host.hasFile("C:\\App\\app.exe"));
        m.rollBack();
        EXPECT_TRUE(m.log.rollback);
        EXPECT_EQ(m.host.uninstallersRun, c.uninstallersRun);
        EXPECT_EQ(machineState(m.host), m.before);
        EXPECT_FALSE(m.host.hasFile(kUninstaller));
        // The extracted copy goes with the uninstaller written, or once it has run.
        EXPECT_EQ(m.host.hasFile(kExtracted), c.uninstallersRun.empty());
        EXPECT_EQ(m.host.registry.openKeys(), 0);
    }
}

// A file installed twice in one run is kept twice, the second time with the first
// run's data: the rollback puts them back latest first, so the user's comes last.
TEST(Rollback, AFileInstalledTwiceGetsTheUsersContentBack) {
    Installation m(0);
    m.addFile("<InstallDir>\\settings.ini");
    m.host.registry.key(RegistryRoot::CurrentUser, "Software").denyCreate = true;
    ASSERT_FALSE(m.run().completed);
    m.rollBack();
    EXPECT_EQ(m.host.file("C:\\App\\settings.ini").content, "the user's settings");
    EXPECT_EQ(machineState(m.host), m.before);
}

// A file that cannot be put back (in use now) is named to the user with the place
// its old content is kept, and that copy stays.
TEST(Rollback, AFileThatCannotBePutBackIsToldWithItsCopy) {
    Installation m(0);
    m.host.registry.key(RegistryRoot::CurrentUser, "Software").denyCreate = true;
    ASSERT_FALSE(m.run().completed);
    ASSERT_EQ(m.originals.kept().size(), 1u);
    const std::string copy = m.originals.kept()[0].copy;
    m.host.files[upperCased("C:\\App\\settings.ini")].inUse = true;
    m.host.messages.clear();
    m.rollBack();
    EXPECT_EQ(m.host.messages,
              std::vector<std::string>{"Couldn't put back C:\\App\\settings.ini - the file that "
                                       "was there is kept as " +
                                       copy});
    EXPECT_EQ(m.host.file(copy).content, "the user's settings");
}

TEST(Rollback, AnExtractedUninstallerThatCannotBeReadIsNotRun) {
    Installation m(kOptionCreateUninstaller);
    m.host.registry.key(RegistryRoot::CurrentUser, "Software").denyCreate = true;
    ASSERT_FALSE(m.run().completed);
    m.host.files[upperCased(kExtracted)].unreadable = true;
    m.rollBack();
    EXPECT_TRUE(m.host.uninstallersRun.empty());
    // The originals still come back.
    EXPECT_EQ(m.host.file("C:\\App\\settings.ini").content, "the user's settings");
}

// A converted file written over one of the user's keeps it for the rollback and
// leaves it out of the log: undone, the user's file is back as it was.
TEST(Rollback, ConvertedFilesGiveBackTheFilesTheyWroteOver) {
    struct Case {
        std::uint32_t option;
        const char* packaged;
        const char* converted;
    };
    for (const Case& c : {Case{kOptionDecodeMp3, "C:\\App\\tune.mp3", "C:\\App\\tune.wav"},
                          Case{kOptionConvertJpeg, "C:\\App\\photo.JPG", "C:\\App\\photo.BMP"}}) {
        SCOPED_TRACE(c.converted);
        Installation m(kOptionCreateUninstaller | c.option);
        m.host.addFile(c.converted, "the user's own");
        m.addFile(c.packaged);
        std::string before = machineState(m.host);
        ASSERT_TRUE(m.run().completed);  // a later stage gives up
        EXPECT_EQ(m.host.file(c.converted).content.substr(0, 3),
                  c.option == kOptionDecodeMp3 ? "WAV" : "BMP");
        for (const std::string& file : m.installedLog().files)
            EXPECT_NE(upperCased(file), upperCased(c.converted));
        m.rollBack();
        EXPECT_EQ(machineState(m.host), before);
    }
}

// An update writes over the installed product's values (its version, its paths):
// undone, it leaves them as the product had them, so the product still works.
TEST(Rollback, ValuesWrittenOverGetTheirOldDataBack) {
    for (std::uint32_t options : {kOptionCreateUninstaller | kOptionUpdate, std::uint32_t{0}}) {
        Installation m(options);
        m.host.registry.key(RegistryRoot::CurrentUser, "Software\\Vortix\\Contavo")
            .values["PATH"] = {RegistryValueType::String, std::string("C:\\Old") + '\0'};
        std::string before = machineState(m.host);
        ASSERT_TRUE(m.run().completed);  // a later stage gives up
        m.rollBack();
        EXPECT_EQ(machineState(m.host), before);
    }
}

// An update or a reinstall given up after its files (a later stage aborts) has
// kept its records out of the product's log: all of it is undone, and the log is
// as it was.
TEST(Rollback, AnUpdateGivenUpAfterItsFilesLeavesTheProductsLogAsItWas) {
    for (std::uint32_t options :
         {kOptionCreateUninstaller | kOptionUpdate, std::uint32_t{kOptionCreateUninstaller}}) {
        Installation m(options);
        LogContext product;
        product.recordFile("C:\\App\\settings.ini");
        product.registryWritten = true;
        m.host.addFile(kUninstaller,
                       withLog("MZ", product.buildText("Contavo Lite", ""), clockKeyDraw()));
        std::string before = machineState(m.host);
        InstallRun update(m.host.install, m.expander, m.log, {m.script, m.files, m.texts},
                          m.choices, m.originals);
        ASSERT_TRUE(update.run().completed);
        update.mergeLog();  // after a stage of the plug-in, which then aborts
        m.rollBack();
        EXPECT_EQ(machineState(m.host), before);
    }
}

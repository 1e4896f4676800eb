// The machine's figures measured once for the whole run, the rest asked afresh.
#include "installer/setup/variables/cached_system_facts.h"

#include <gtest/gtest.h>

#include "installer/setup/variables/variables.h"
#include "tests/installer/setup/variables/fake_system_facts.h"

namespace {

using namespace vortix;
using testing_support::FakeSystemFacts;

TEST(CachedSystemFacts, TheVariablesAndTheSystemPageShareOneMeasurementOfEachFigure) {
    FakeSystemFacts machine;
    CachedSystemFacts facts(machine);
    Variables vars(facts);
    // The variables first, as a condition would ask ...
    EXPECT_EQ(vars.numericValue("<CPUSpeed>"), 450);
    EXPECT_EQ(vars.numericValue("<DirectXVer>"), 0x00060001);
    // ... then the page's probe, twice, and a second Variables object.
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(facts.cpuSpeedMhz(), 450u);
        EXPECT_EQ(facts.cpuType(), 6u);
        EXPECT_EQ(facts.cpuFlags(), 0x00800000u);
        EXPECT_EQ(facts.screen().width, 1024u);
        EXPECT_EQ(facts.physicalMemoryBytes(), 64ull << 20);
        EXPECT_EQ(facts.directXVersion(), 0x00010006u);
    }
    Variables again(facts);
    EXPECT_EQ(again.numericValue("<RAM>"), 64);
    EXPECT_EQ(machine.measurements, 6);  // one for each figure
}

TEST(CachedSystemFacts, RegistryAndFilesAreReadAfreshEachTime) {
    FakeSystemFacts machine;
    CachedSystemFacts facts(machine);
    machine.setString(kRootLocalMachine, "Software\\Vendor\\Tool", "Version", "1.0");
    ASSERT_TRUE(facts.registryValue(kRootLocalMachine, "Software\\Vendor\\Tool", "Version"));
    machine.setString(kRootLocalMachine, "Software\\Vendor\\Tool", "Version", "2.0");
    std::optional<RegistryValue> now =
        facts.registryValue(kRootLocalMachine, "Software\\Vendor\\Tool", "Version");
    ASSERT_TRUE(now);
    EXPECT_EQ(now->data.substr(0, 3), "2.0");
    EXPECT_FALSE(facts.fileExists("C:\\", "late.txt"));
    machine.files.insert("C:\\late.txt");
    EXPECT_TRUE(facts.fileExists("C:\\", "late.txt"));
}

}  // namespace

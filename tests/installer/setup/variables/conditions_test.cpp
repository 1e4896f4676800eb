#include <gtest/gtest.h>

#include "installer/setup/variables/variables.h"
#include "tests/installer/setup/variables/fake_system_facts.h"

namespace {

using namespace vortix;
using testing_support::FakeSystemFacts;

Condition when(std::vector<Comparison> comparisons, std::uint32_t options = kAnySystem) {
    Condition condition;
    condition.options = options;
    condition.comparisons = std::move(comparisons);
    return condition;
}

class Conditions : public ::testing::Test {
protected:
    FakeSystemFacts facts;
    Variables vars{facts};
};

TEST_F(Conditions, RamOf31AndAHalfMegabytesCountsAs32) {
    facts.memory = 31ull * 1024 * 1024 + 512 * 1024;
    EXPECT_TRUE(vars.holds(when({{"<RAM>", 4, "32"}})));
    EXPECT_FALSE(vars.holds(when({{"<RAM>", 2, "32"}})));
    EXPECT_TRUE(vars.holds(when({{"<RAM>", 0, "32"}})));
}

TEST_F(Conditions, NumericOperators) {
    facts.speed = 450;
    const bool expected[] = {false, true, true, false, true, false};
    for (std::uint32_t op = 0; op < 6; ++op)
        EXPECT_EQ(vars.holds(when({{"<CPUSpeed>", op, "300"}})), expected[op]) << "code " << op;
    EXPECT_TRUE(vars.holds(when({{"<CPUSpeed>", 5, "450"}})));
    EXPECT_TRUE(vars.holds(when({{"-1", 3, "0"}})));
}

TEST_F(Conditions, CodeSixAndAboveTestBitsOfNumbers) {
    facts.flags = 0x00800000 | 0x1;  // MMX and FPU
    EXPECT_TRUE(vars.holds(when({{"<CPUFlags>", 6, "8388608"}})));
    EXPECT_FALSE(vars.holds(when({{"<CPUFlags>", 6, "2"}})));
    EXPECT_TRUE(vars.holds(when({{"<CPUFlags>", 9, "1"}})));
    EXPECT_TRUE(vars.holds(when({{"<DirectXVer>", 6, "1"}})));  // minor version 1
}

TEST_F(Conditions, DirectXMinorVersionsCompareBetweenMajors) {
    EXPECT_TRUE(vars.holds(when({{"<DirectXVer>", 2, "393216"}})));  // above 6.0
    EXPECT_TRUE(vars.holds(when({{"<DirectXVer>", 3, "458752"}})));  // below 7.0
}

TEST_F(Conditions, TextOperandsCompareAsCaseSensitiveStrings) {
    EXPECT_TRUE(vars.holds(when({{"<WindowsDir>", 0, "\"C:\\Windows\""}})));
    EXPECT_FALSE(vars.holds(when({{"<WindowsDir>", 0, "\"c:\\windows\""}})));
    EXPECT_TRUE(vars.holds(when({{"<WindowsDir>", 3, "\"c:\\windows\""}})));
    EXPECT_TRUE(vars.holds(when({{"\"b\"", 2, "\"a\""}, {"\"ab\"", 4, "\"a\""}})));
    EXPECT_TRUE(vars.holds(when({{"<SystemDrive>", 5, "\"C:\""}})));
    EXPECT_FALSE(vars.holds(when({{"\"x\"", 6, "\"x\""}})));
    EXPECT_TRUE(vars.holds(when({{"\"\"", 0, "\"\""}})));
}

TEST_F(Conditions, OneNumericOperandMakesTheComparisonNumeric) {
    // A lookup name is 0 as a number; a text in quotes starts with a quote, so 0 too.
    EXPECT_TRUE(vars.holds(when({{"<WindowsDir>", 0, "0"}})));
    EXPECT_FALSE(vars.holds(when({{"\"7\"", 0, "7"}})));
    EXPECT_TRUE(vars.holds(when({{"\"7\"", 0, "0"}})));
    vars.setUserVariables(
        {{"<Count>", UserVariableKind::Number, UserVariableSource::None, "10", "", "", "", 0},
         {"<Nine>", UserVariableKind::Number, UserVariableSource::None, "9", "", "", "", 0},
         {"<Word>", UserVariableKind::Text, UserVariableSource::None, "abc", "", "", "", 0}});
    // Numeric user variables compare as numbers even against each other.
    EXPECT_TRUE(vars.holds(when({{"<Count>", 2, "<Nine>"}})));
    EXPECT_TRUE(vars.holds(when({{"<Word>", 0, "\"abc\""}})));
}

TEST_F(Conditions, JoinsAndTheLastResult) {
    const Comparison yes{"1", 0, "1"}, no{"1", 0, "2"};
    EXPECT_TRUE(vars.holds(when({})));
    EXPECT_TRUE(vars.holds(Condition{}));
    EXPECT_FALSE(vars.holds(when({yes, no, yes})));
    EXPECT_TRUE(vars.holds(when({yes, yes})));
    EXPECT_TRUE(vars.holds(when({no, yes, no}, kAnySystem | kJoinByOr)));
    EXPECT_FALSE(vars.holds(when({no, no}, kAnySystem | kJoinByOr)));
    EXPECT_FALSE(vars.holds(when({no}, kAnySystem | kJoinByOr)));
}

TEST_F(Conditions, OrJoinStopsAtTheFirstTrueComparison) {
    vars.setUserVariables({{"<Probe>", UserVariableKind::Number, UserVariableSource::Registry, "",
                            "2147483649", "Software\\Probe", "v", 0}});
    facts.registryReads = 0;
    EXPECT_TRUE(vars.holds(when({{"1", 0, "1"}, {"<Probe>", 0, "1"}}, kAnySystem | kJoinByOr)));
    EXPECT_EQ(facts.registryReads, 0);
    EXPECT_FALSE(vars.holds(when({{"1", 0, "2"}, {"<Probe>", 0, "1"}})));
    EXPECT_EQ(facts.registryReads, 0);
}

struct SystemCase {
    OsVersion os;
    std::uint32_t allowed;  // the option bits that let an item in on this system
};

TEST(ConditionSystems, OperatingSystemFilter) {
    const SystemCase cases[] = {
        {{false, 4, 0, 950}, kSystemWin95 | kAll95Family},
        {{false, 4, 10, 2222}, kSystemWin98 | kAll95Family},
        {{false, 4, 90, 3000}, kSystemWinMe | kAll95Family},
        {{false, 4, 20, 0}, kSystemWinMe | kAll95Family},
        {{true, 4, 0, 1381}, kSystemNt4 | kAllNtFamily},
        {{true, 3, 51, 1057}, kSystemNt4 | kAllNtFamily},
        {{true, 5, 0, 2195}, kSystemNt5 | kAllNtFamily},
        {{true, 6, 1, 7601}, kSystemNt5 | kAllNtFamily},
    };
    const std::uint32_t bits[] = {kSystemWin95, kSystemWin98, kSystemWinMe, kSystemNt4,
                                  kSystemNt5,   kAll95Family, kAllNtFamily};
    for (const SystemCase& c : cases) {
        FakeSystemFacts facts;
        facts.os = c.os;
        Variables vars(facts);
        for (std::uint32_t bit : bits)
            EXPECT_EQ(vars.holds(when({}, bit)), (c.allowed & bit) != 0)
                << c.os.major << "." << c.os.minor << " bit " << bit;
        EXPECT_TRUE(vars.holds(when({}, kAnySystem)));
        EXPECT_FALSE(vars.holds(when({}, 0)));
        EXPECT_FALSE(vars.holds(when({{"1", 0, "1"}}, kJoinByOr)));
    }
}

}  // namespace

// The mark for expectations that pin Wine's behaviour.
#include "tests/support/win32/wine_behaviour.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace testing_support;

std::string recorded() {
    const testing::TestResult* result =
        testing::UnitTest::GetInstance()->current_test_info()->result();
    for (int i = 0; i < result->test_property_count(); ++i)
        if (std::string(result->GetTestProperty(i).key()) == "pinned_wine_behaviour")
            return result->GetTestProperty(i).value();
    return "";
}

TEST(PinnedWineBehaviour, HoldsUnderWineAndSaysWhatAndWhere) {
    // These tests run under Wine only.
    ASSERT_TRUE(runningUnderWine());
    testing::internal::CaptureStdout();
    const int line = __LINE__ + 1;
    bool pinned = PINNED_WINE_BEHAVIOUR("a reason a reader can find");
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(pinned);
    EXPECT_EQ(printed, "pinned Wine behaviour: a reason a reader can find (" +
                           std::string(__FILE__) + ":" + std::to_string(line) + ")\n");
    EXPECT_EQ(recorded(), "a reason a reader can find");
}

TEST(PinnedWineBehaviour, EveryMarkOfATestIsRecordedAndNoneOfAnother) {
    testing::internal::CaptureStdout();
    PINNED_WINE_BEHAVIOUR("first");
    PINNED_WINE_BEHAVIOUR("second");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(recorded(), "first\nsecond");
}

}  // namespace

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

// Under Wine the mark holds, so the expectations it guards are checked, and the
// report names the reason.
TEST(PinnedWineBehaviour, HoldsUnderWineAndIsRecorded) {
    ASSERT_TRUE(runningUnderWine());
    testing::internal::CaptureStdout();
    bool pinned = PINNED_WINE_BEHAVIOUR("a reason a reader can find");
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(pinned);
    EXPECT_EQ(recorded(), "a reason a reader can find");
}

}  // namespace

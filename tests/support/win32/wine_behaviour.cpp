#include "tests/support/win32/wine_behaviour.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace testing_support {

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

bool pinWineBehaviour(const char* reason, const char* file, int line) {
    bool wine = runningUnderWine();
    std::printf("pinned Wine behaviour%s: %s (%s:%d)\n", wine ? "" : " (left out on Windows)",
                reason, file, line);
    std::fflush(stdout);
    // Every mark of the test in its property, one reason a line.
    static std::string test, reasons;
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "";
    if (name != test) {
        test = name;
        reasons.clear();
    }
    reasons += (reasons.empty() ? "" : "\n") + std::string(reason);
    if (info)
        testing::Test::RecordProperty("pinned_wine_behaviour", reasons);
    return wine;
}

}  // namespace testing_support

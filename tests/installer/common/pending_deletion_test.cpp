#include "installer/common/pending_deletion.h"

#include <gtest/gtest.h>

using namespace vortix;

TEST(PendingDeletion, DropsOnlyDeletionsOfThatPath) {
    std::vector<std::string> pairs = {"\\??\\C:\\WINDOWS\\App Uninstaller.exe",
                                      "",
                                      "\\??\\C:\\tmp\\a",
                                      "\\??\\C:\\tmp\\b",
                                      "c:\\windows\\app uninstaller.exe",
                                      "",
                                      "\\??\\C:\\WINDOWS\\App Uninstaller.exe",
                                      "\\??\\C:\\elsewhere"};
    auto left = withoutPendingDeletion(pairs, "C:\\WINDOWS\\App Uninstaller.exe");
    ASSERT_TRUE(left);
    EXPECT_EQ(*left, (std::vector<std::string>{"\\??\\C:\\tmp\\a", "\\??\\C:\\tmp\\b",
                                               "\\??\\C:\\WINDOWS\\App Uninstaller.exe",
                                               "\\??\\C:\\elsewhere"}));
    EXPECT_FALSE(withoutPendingDeletion(*left, "C:\\WINDOWS\\App Uninstaller.exe"));
    auto none = withoutPendingDeletion({"\\??\\C:\\x", ""}, "C:\\x");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());  // the caller deletes the value
}

TEST(Wininit, RemovesTheFirstMatchingLine) {
    std::string ini = "[Rename]\r\nNUL=C:\\WINDOWS\\APPUNI~1.EXE\r\nNUL=C:\\other\r\n";
    EXPECT_EQ(withoutWininitDeletion(ini, "c:\\windows\\appuni~1.exe"),
              "[Rename]\r\nNUL=C:\\other\r\n");
    EXPECT_FALSE(withoutWininitDeletion(ini, "C:\\nothing"));
}

TEST(Wininit, AddsADeletionOnce) {
    EXPECT_EQ(withWininitDeletion("", "C:\\U.EXE"), "[Rename]\r\nNUL=C:\\U.EXE");
    EXPECT_EQ(withWininitDeletion("[boot]\r\nx=1\r\n[rename]\r\nNUL=C:\\OLD\r\n", "C:\\U.EXE"),
              "[boot]\r\nx=1\r\n[rename]\r\nNUL=C:\\U.EXE\r\nNUL=C:\\OLD\r\n");
    std::string already = "[Rename]\r\nNUL=C:\\U.EXE\r\n";
    EXPECT_EQ(withWininitDeletion(already, "C:\\U.EXE"), already);
    EXPECT_EQ(withWininitDeletion("[boot]\r\nx=1", "C:\\U.EXE"),
              "[boot]\r\nx=1\r\n[Rename]\r\nNUL=C:\\U.EXE");
    EXPECT_EQ(withWininitDeletion("[Rename]", "C:\\U.EXE"), "[Rename]\r\nNUL=C:\\U.EXE\r\n");
}

TEST(Wininit, AddsARename) {
    EXPECT_EQ(withWininitRename("", "C:\\A.DLL", "C:\\T.TMP"),
              "[Rename]\r\nC:\\A.DLL=C:\\T.TMP\r\n");
    EXPECT_EQ(withWininitRename("[rename]\r\nNUL=C:\\X\r\n", "A", "B"),
              "[rename]\r\nA=B\r\nNUL=C:\\X\r\n");
    EXPECT_EQ(withWininitRename("[Other]\r\nx=1", "A", "B"),
              "[Other]\r\nx=1\r\n[Rename]\r\nA=B\r\n");
}

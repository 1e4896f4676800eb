#include "installer/setup/setup_rules.h"

#include <gtest/gtest.h>

#include "installer/setup/fault_plan.h"

using namespace vortix;

TEST(SetupRules, SilentSwitchAnywhereInAnyCase) {
    EXPECT_TRUE(isSilentCommandLine("\"C:\\setup.exe\" /SILENT"));
    EXPECT_TRUE(isSilentCommandLine("setup.exe /x /silent"));
    EXPECT_TRUE(isSilentCommandLine("setup.exe /SilentNow"));
    EXPECT_FALSE(isSilentCommandLine("setup.exe /S"));
    EXPECT_FALSE(isSilentCommandLine("setup.exe -silent"));
}

TEST(SetupRules, SilentAnswersAndCaptions) {
    EXPECT_EQ(silentAnswer(Buttons::Ok), kAnswerOk);
    EXPECT_EQ(silentAnswer(Buttons::OkCancel), kAnswerOk);
    EXPECT_EQ(silentAnswer(Buttons::YesNo), kAnswerYes);
    EXPECT_EQ(silentAnswer(Buttons::YesNoCancel), kAnswerYes);
    EXPECT_EQ(silentAnswer(Buttons::RetryCancel), kAnswerCancel);
    EXPECT_EQ(silentAnswer(Buttons::AbortRetryIgnore), kAnswerIgnore);
    EXPECT_EQ(boxCaption("Contavo Lite Setup", "Contavo"), "Contavo Lite Setup");
    EXPECT_EQ(boxCaption("", "Contavo"), "Contavo");
    EXPECT_EQ(boxCaption("", ""), "Vortix Installer");
}

TEST(SetupRules, WindowTitleFromTheLanguageSet) {
    LanguageSet set;
    set.lines = std::vector<std::string>(10);
    set.lines[8] = "%s Setup";
    set.lines[9] = "%s Update %d%%";
    PackageSettings settings;
    settings.productName = "Contavo Lite";
    EXPECT_EQ(languageWindowTitle(set, settings), "Contavo Lite Setup");
    settings.options |= kOptionUpdate;
    EXPECT_EQ(languageWindowTitle(set, settings), "Contavo Lite Update %");
    set.lines.resize(5);  // a set without those entries
    EXPECT_EQ(languageWindowTitle(set, settings), "");
}

TEST(SetupRules, SilentRunsCannotAskForTheUsersName) {
    PackageSettings settings;
    settings.pages = kPageUserInformation | kPageFinish;
    EXPECT_FALSE(packageAllowsRun(settings, true));
    EXPECT_TRUE(packageAllowsRun(settings, false));
    settings.pages = kPageFinish;
    EXPECT_TRUE(packageAllowsRun(settings, true));
}

TEST(FaultPlan, ItemsAreMatchedWithoutRegardToCase) {
    FaultPlan plan = FaultPlan::parse(
        "key:HKEY_CURRENT_USER\\Software\\X;nowrite:C:\\Dir\\;file:C:\\a.txt;inuse:C:\\b.dll;"
        "junk;other:x;tree:insert");
    EXPECT_TRUE(plan.keyFails("hkey_current_user\\software\\x"));
    EXPECT_FALSE(plan.keyFails("HKEY_CURRENT_USER\\Software"));
    EXPECT_TRUE(plan.directoryRefusesWrites("C:\\DIR"));
    EXPECT_TRUE(plan.directoryRefusesWrites("c:\\dir\\"));
    EXPECT_TRUE(plan.fileFails("C:\\A.TXT"));
    EXPECT_TRUE(plan.fileInUse("c:\\b.dll"));
    EXPECT_FALSE(plan.fileInUse("C:\\a.txt"));
    EXPECT_TRUE(plan.treeFails("insert"));
    EXPECT_FALSE(plan.treeFails("create"));
    FaultPlan none = FaultPlan::parse("");
    EXPECT_FALSE(none.keyFails(""));
    EXPECT_FALSE(none.fileFails("C:\\a.txt"));
}

TEST(SetupRules, ProgramFolderIsANameUnderTheProgramsFolder) {
    const char* programs = "C:\\Users\\u\\Start Menu\\Programs";
    EXPECT_EQ(programFolderPath("Contavo Lite", programs),
              "C:\\Users\\u\\Start Menu\\Programs\\Contavo Lite");
    EXPECT_EQ(programFolderPath("\\Vortix\\Contavo", programs),
              "C:\\Users\\u\\Start Menu\\Programs\\Vortix\\Contavo");
    EXPECT_EQ(programFolderPath("D:\\Menu\\Contavo", programs), "D:\\Menu\\Contavo");
    EXPECT_EQ(programFolderPath("", programs), "");
}

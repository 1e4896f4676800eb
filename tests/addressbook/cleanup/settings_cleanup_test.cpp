#include "addressbook/cleanup/settings_cleanup.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace ctlite;

namespace {

// A machine whose settings are all there unless a case says otherwise; it records
// what was asked, shown and removed.
struct FakeCleanup final : CleanupSystem {
    bool silent = false;
    bool answer = false;
    std::string startupFolder = "C:\\Start";
    std::map<std::string, Removal> outcomes;  // what removing a path gives; default Removed
    std::vector<std::string> asked, shown, removed;

    bool silentRun() override { return silent; }
    CleanupPlaces places() override {
        return {"C:\\Program Files\\Contavo Lite", "C:\\W", startupFolder};
    }
    bool askYesNo(const std::string& text) override {
        asked.push_back(text);
        return answer;
    }
    void showError(const std::string& text) override { shown.push_back(text); }
    Removal removeFile(const std::string& path) override { return remove(path); }
    Removal removeUserKey(const std::string& path) override { return remove("HKCU\\" + path); }
    Removal remove(const std::string& path) {
        removed.push_back(path);
        auto found = outcomes.find(path);
        return found == outcomes.end() ? Removal::Removed : found->second;
    }
};

const std::vector<std::string> kAll = {"C:\\W\\ctlite.INI", "HKCU\\SOFTWARE\\Contavo Lite",
                                       "C:\\Start\\Contavo Lite.lnk"};

}  // namespace

TEST(SettingsCleanup, AsksOnlyInteractivelyAndRemovesOnlyOnYes) {
    struct Case {
        const char* what;
        bool silent, answer;
        std::size_t questions;
        std::vector<std::string> removed;
    } cases[] = {
        {"silent", true, true, 0, {}},
        {"No", false, false, 1, {}},
        {"Yes", false, true, 1, kAll},
    };
    for (const Case& c : cases) {
        FakeCleanup machine;
        machine.silent = c.silent;
        machine.answer = c.answer;
        EXPECT_EQ(runSettingsCleanup(machine), 1) << c.what;  // never a veto
        EXPECT_EQ(machine.asked.size(), c.questions) << c.what;
        EXPECT_EQ(machine.removed, c.removed) << c.what;
        EXPECT_TRUE(machine.shown.empty()) << c.what;
    }
}

TEST(SettingsCleanup, QuestionNamesWhatGoesAndWhereTheBookStays) {
    EXPECT_EQ(cleanupQuestion("C:\\Program Files\\Contavo Lite"),
              "Do you also want to remove Contavo Lite's own settings: the window place, the sort "
              "order and colours, and the e-mail server and sign-in (password included)?\n\n"
              "Your address book is not removed: data.dat stays where it is, in "
              "C:\\Program Files\\Contavo Lite.");
}

TEST(SettingsCleanup, FailuresAreShownAndMissingItemsAreNot) {
    FakeCleanup machine;
    machine.answer = true;
    machine.outcomes = {{"C:\\W\\ctlite.INI", Removal::NotThere},
                        {"HKCU\\SOFTWARE\\Contavo Lite", Removal::Failed},
                        {"C:\\Start\\Contavo Lite.lnk", Removal::Failed}};
    EXPECT_EQ(runSettingsCleanup(machine), 1);
    EXPECT_EQ(machine.removed, kAll);  // one failure does not stop the others
    ASSERT_EQ(machine.shown.size(), 1u);
    EXPECT_EQ(machine.shown[0],
              "These settings of Contavo Lite could not be removed:\n\n"
              "HKEY_CURRENT_USER\\SOFTWARE\\Contavo Lite\nC:\\Start\\Contavo Lite.lnk");

    FakeCleanup noStartupFolder;
    noStartupFolder.answer = true;
    noStartupFolder.startupFolder.clear();
    runSettingsCleanup(noStartupFolder);
    EXPECT_EQ(noStartupFolder.removed,
              (std::vector<std::string>{"C:\\W\\ctlite.INI", "HKCU\\SOFTWARE\\Contavo Lite"}));
}

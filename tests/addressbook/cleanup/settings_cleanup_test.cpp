// Asking and answering are walked under Wine (tests/package); here what a Yes does
// when the machine does not go along.
#include "addressbook/cleanup/settings_cleanup.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>

using namespace ctlite;

namespace {

// A machine whose user says Yes to the settings question; removing a path gives
// what `outcomes` says (Removed when it says nothing). Contavo Lite runs for as
// many looks as `runningLooks`; `retries` are the answers to "close it first".
struct YesSayingMachine final : CleanupSystem {
    std::map<std::string, Removal> outcomes;
    std::vector<std::string> removed, shown;
    bool silent = false;
    int runningLooks = 0;
    std::deque<bool> retries;
    int settingsQuestions = 0;

    bool silentRun() override { return silent; }
    CleanupPlaces places() override { return {"C:\\Contavo", "C:\\W", "C:\\Start"}; }
    bool programRunning() override { return runningLooks-- > 0; }
    bool askRetryCancel(const std::string&) override {
        bool retry = retries.front();
        retries.pop_front();
        return retry;
    }
    bool askYesNo(const std::string&) override {
        ++settingsQuestions;
        return true;
    }
    void showError(const std::string& text) override { shown.push_back(text); }
    Removal removeFile(const std::string& path) override { return remove(path); }
    Removal removeUserKey(const std::string& path) override { return remove("HKCU\\" + path); }
    Removal remove(const std::string& path) {
        removed.push_back(path);
        return outcomes.count(path) ? outcomes[path] : Removal::Removed;
    }
};

}  // namespace

TEST(SettingsCleanup, FailuresAreShownMissingItemsAreNotAndNothingVetoes) {
    YesSayingMachine machine;
    machine.outcomes = {{"C:\\W\\ctlite.INI", Removal::NotThere},
                        {"HKCU\\SOFTWARE\\Contavo Lite", Removal::Failed},
                        {"C:\\Start\\Contavo Lite.lnk", Removal::Failed}};
    EXPECT_EQ(runSettingsCleanup(machine), 1);
    // One failure does not stop the others.
    EXPECT_EQ(machine.removed,
              (std::vector<std::string>{"C:\\W\\ctlite.INI", "HKCU\\SOFTWARE\\Contavo Lite",
                                        "C:\\Start\\Contavo Lite.lnk"}));
    EXPECT_EQ(machine.shown,
              std::vector<std::string>{"These settings of Contavo Lite could not be removed:\n\n"
                                       "HKEY_CURRENT_USER\\SOFTWARE\\Contavo Lite\n"
                                       "C:\\Start\\Contavo Lite.lnk"});
}

TEST(SettingsCleanup, ARunningContavoLiteIsClosedFirstOrTheRemovalStops) {
    struct Case {
        const char* name;
        bool silent;
        int runningLooks;
        std::deque<bool> retries;
        int exitCode;
        bool settingsAsked;
    };
    const Case cases[] = {
        {"closed after two retries", false, 2, {true, true}, 1, true},
        {"cancelled", false, 1, {false}, 0, false},
        {"cancelled after a retry", false, 3, {true, false}, 0, false},
        {"silent: nothing asked", true, 5, {}, 1, false},
    };
    for (const Case& c : cases) {
        YesSayingMachine machine;
        machine.silent = c.silent;
        machine.runningLooks = c.runningLooks;
        machine.retries = c.retries;
        EXPECT_EQ(runSettingsCleanup(machine), c.exitCode) << c.name;
        EXPECT_TRUE(machine.retries.empty()) << c.name;
        EXPECT_EQ(machine.settingsQuestions, c.settingsAsked ? 1 : 0) << c.name;
        EXPECT_EQ(machine.removed.empty(), !c.settingsAsked) << c.name;
    }
}

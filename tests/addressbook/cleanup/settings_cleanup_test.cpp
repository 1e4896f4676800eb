// Asking and answering are walked under Wine (tests/package); here what a Yes does
// when the machine does not go along.
#include "addressbook/cleanup/settings_cleanup.h"

#include <gtest/gtest.h>

#include <map>

using namespace ctlite;

namespace {

// A machine whose user says Yes; removing a path gives what `outcomes` says
// (Removed when it says nothing).
struct YesSayingMachine final : CleanupSystem {
    std::map<std::string, Removal> outcomes;
    std::vector<std::string> removed, shown;

    bool silentRun() override { return false; }
    CleanupPlaces places() override { return {"C:\\Contavo", "C:\\W", "C:\\Start"}; }
    bool askYesNo(const std::string&) override { return true; }
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

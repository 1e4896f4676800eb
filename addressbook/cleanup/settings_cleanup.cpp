#include "addressbook/cleanup/settings_cleanup.h"

#include <vector>

#include "addressbook/contracts/settings_places.h"

namespace ctlite {
namespace {

constexpr int kGoOnWithTheRemoval = 1, kStopTheRemoval = 0;

constexpr char kCloseTheProgramText[] =
    "Contavo Lite is running. Close it (File, Exit), then choose Retry.\n\n"
    "Cancel stops the removal: nothing is removed.";

std::string cleanupQuestion(const std::string& programFolder) {
    return "Do you also want to remove Contavo Lite's own settings: the window place, the sort "
           "order and colours, and the e-mail server and sign-in (password included)?\n\n"
           "Your address book is not removed: data.dat stays where it is, in " +
           programFolder + ".";
}

std::string cleanupFailureText(const std::vector<std::string>& failed) {
    std::string text = "These settings of Contavo Lite could not be removed:\n";
    for (const std::string& item : failed)
        text += "\n" + item;
    return text;
}

}  // namespace

int runSettingsCleanup(CleanupSystem& system) {
    if (system.silentRun())
        return kGoOnWithTheRemoval;
    while (system.programRunning())
        if (!system.askRetryCancel(kCloseTheProgramText))
            return kStopTheRemoval;
    CleanupPlaces places = system.places();
    if (!system.askYesNo(cleanupQuestion(places.programFolder)))
        return kGoOnWithTheRemoval;
    std::vector<std::string> failed;
    std::string profile = places.windowsFolder + "\\" + kProfileFile;
    if (system.removeFile(profile) == Removal::Failed)
        failed.push_back(profile);
    if (system.removeUserKey(kSettingsKeyPath) == Removal::Failed)
        failed.push_back(std::string("HKEY_CURRENT_USER\\") + kSettingsKeyPath);
    if (!places.startupFolder.empty()) {
        std::string shortcut = places.startupFolder + "\\" + kStartupShortcut;
        if (system.removeFile(shortcut) == Removal::Failed)
            failed.push_back(shortcut);
    }
    if (!failed.empty())
        system.showError(cleanupFailureText(failed));
    return kGoOnWithTheRemoval;
}

}  // namespace ctlite

// What Contavo Lite's clean-up program (ctliteclean, the package's pre-uninstall
// program) does while the product is removed: the address book always stays; the
// program's own settings (ctlite.INI, its HKEY_CURRENT_USER key and the start-up
// shortcut of the Settings window) go only when the user says so. A Contavo Lite
// still running would write them again as it ends and holds its files: the user is
// asked to close it first, or to stop the removal. A silent removal asks nothing and
// keeps the settings. Portable: the system is behind CleanupSystem.
#pragma once

#include <string>

namespace ctlite {

// The folders the settings live in, as the system names them.
struct CleanupPlaces {
    std::string programFolder;  // the clean-up program's own, where the book is
    std::string windowsFolder;
    std::string startupFolder;  // empty when the shell has none
};

enum class Removal { Removed, NotThere, Failed };

class CleanupSystem {
public:
    virtual ~CleanupSystem() = default;
    // The uninstaller runs silently (VXUNINST_SILENT=1 in the environment).
    virtual bool silentRun() = 0;
    virtual CleanupPlaces places() = 0;
    // Whether a copy of Contavo Lite is running.
    virtual bool programRunning() = 0;
    virtual bool askYesNo(const std::string& text) = 0;
    // Retry (true) or Cancel.
    virtual bool askRetryCancel(const std::string& text) = 0;
    virtual void showError(const std::string& text) = 0;
    virtual Removal removeFile(const std::string& path) = 0;
    // A key of HKEY_CURRENT_USER with everything below it.
    virtual Removal removeUserKey(const std::string& path) = 0;
};

// Asks, removes what the user chose and reports what could not be removed. The exit
// code for the uninstaller: 0 stops the removal (the user chose not to close a
// running Contavo Lite), 1 lets it go on whatever the answer about the settings.
int runSettingsCleanup(CleanupSystem& system);

}  // namespace ctlite

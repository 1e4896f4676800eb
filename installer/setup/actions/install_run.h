// One installation run: files, MP3 and JPEG conversions, registry values, INI
// entries, text-file edits, shortcuts, and the uninstaller with its log, in that
// order. Everything done is recorded in the log; a failed run leaves the log for
// the rollback (rollbackAction() in log_context.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "installer/common/log_context.h"
#include "installer/common/sealed_block.h"
#include "installer/package/language_entries.h"
#include "installer/package/package.h"
#include "installer/setup/actions/install_host.h"
#include "installer/setup/actions/replaced_files.h"

namespace vortix {

// The installation types' codes: the type page's first, second and third button.
inline constexpr std::uint32_t kTypicalType = 2;
inline constexpr std::uint32_t kMinimalType = 1;
inline constexpr std::uint32_t kCustomType = 4;

// Whether a file of `typeMask` belongs to the installation type chosen: the
// typical type takes bit 0 or 1, the minimal type bit 0. The custom type takes
// every file: the user picked them by component.
bool installTypeTakes(std::uint32_t installType, std::uint32_t typeMask);

// What the wizard (or the silent defaults) chose, and facts about the machine.
struct InstallChoices {
    bool silent = false;
    std::string installDirectory;  // "<InstallDir>", no trailing "\"
    std::string shortcutFolder;    // "<ShortcutDir>", no trailing "\"
    std::string windowsDirectory;
    // An interactive run in which the user chose a type and components: files are
    // then picked by component and by type mask.
    bool componentSelection = false;
    std::uint32_t installType = kTypicalType;
    std::vector<bool> selectedComponents;  // by component index; missing: selected
};

// A file that replaces its target at the next restart.
struct PendingReplacement {
    std::string target;
    std::string temporary;
};

struct InstallResult {
    bool completed = false;  // false: the installation failed and is to be rolled back
    std::vector<PendingReplacement> pendingReplacements;
    int activeXFailures = 0;
    bool shortcutsMade = false;
    // A file waits for the next restart: the finish page offers to restart.
    bool restartNeeded() const { return !pendingReplacements.empty(); }
};

// The package as the run reads it.
struct InstallPackage {
    const Script& script;
    const std::vector<PackagedFile>& files;
    const std::vector<std::string>& texts;  // the language set in use: entry k is texts[k]
};

class InstallRun {
public:
    // `originals` keeps what the run replaces until the installation completes.
    InstallRun(InstallHost& host, TextExpander& expander, LogContext& log, InstallPackage package,
               InstallChoices choices, ReplacedFiles& originals, KeyDraw draw = clockKeyDraw());

    // Every phase in order. Failure messages are shown where they happen; running
    // out of memory shows the language set's text for it and fails the run.
    InstallResult run();

    // After each plug-in stage that follows the installation: the uninstall
    // shortcut if it is still to be made, then the records gathered since the
    // last write merged into the installed uninstaller's log. A log this run did
    // not write (an update's, a reinstall's) takes the records only when the run
    // completes, so that an abort still undoes all of it.
    // False, the user told, when the log cannot be read or rewritten: the run
    // must then be rolled back, or it could never be removed.
    bool mergeLog();
    // The installation completed, its last stage too: the last merge (the only
    // one into a log this run did not write). False as for mergeLog.
    bool complete();

    // The installed uninstaller's path.
    std::string uninstallerFile() const;
    bool uninstallShortcutDone() const { return uninstallShortcutDone_; }

private:
    InstallResult runPhases();
    bool installFiles(InstallResult& result);
    enum class FileOutcome { Installed, Skipped, Fatal };
    FileOutcome installFile(std::size_t index, InstallResult& result);
    // Tells the user the new data could not be written (the old file kept).
    FileOutcome skipUnwritten(const std::string& path, bool existed);
    bool selected(const PackagedFile& file) const;
    bool writePrivilegeRefused(const std::string& directory);
    bool overwriteAllowed(const std::string& path, const PackagedFile& file);
    // A converted file takes its place as a packaged file does: written beside the
    // target by `convert`, moved in once whole, the file that was there kept for the
    // rollback and left to the user by the uninstaller. Kept: the file that was
    // there could not be kept or replaced and stays as it was (the user is told).
    enum class Placed { Done, Kept, Failed };
    Placed placeConverted(const std::string& target,
                          const std::function<bool(const std::string&)>& convert);
    bool decodeMp3Files();
    bool convertJpegFiles();
    bool writeRegistry();
    // Where a key lies: its root and its path below it.
    struct KeyPlace {
        RegistryRoot root;
        std::string path;
    };
    void writeRegistryKey(const RegistryItemKey& item, KeyHandle key, RegistryKeyNode& logged,
                          const KeyPlace& place);
    void writeIniEntries();
    void editTextFiles();
    void makeShortcuts(InstallResult& result);
    bool makeUninstallShortcut();
    bool writeUninstaller();
    // The installed uninstaller at `path` with `merged`'s records merged into its
    // log; nothing, the user told, when its log cannot be read.
    std::optional<std::string> mergedLog(const std::string& path, LogContext& merged);
    void cancelDeletionAtRestart(const std::string& path);
    // The uninstaller has run (it waits for the restart to delete itself): its
    // log is never merged into.
    bool logCarriedOut(const std::string& path);

    void status(const std::string& text);
    std::string text(LanguageEntry k) const;
    // The progress bar runs once over the whole installation and never back: the
    // packaged files' bytes, as each file is done, take it to kFilesShare; MP3
    // decoding to kDecodedShare, JPEG converting to kConvertedShare; the registry
    // keys to kRegistryShare, and the uninstaller to 100.
    static constexpr int kFilesShare = 80, kDecodedShare = 85, kConvertedShare = 90,
                         kRegistryShare = 95;
    void showProgress(int from, int to, std::uint64_t done, std::uint64_t total);

    InstallHost& host_;
    TextExpander& expander_;
    LogContext& log_;
    InstallPackage package_;
    InstallChoices choices_;
    ReplacedFiles& originals_;
    KeyDraw draw_;
    std::vector<std::string> mp3Files_, jpegFiles_;
    // Directories already made (or found) and found writable in this run: many files
    // share a few directories, and each is walked and tested once.
    std::unordered_set<std::string> readyDirectories_;
    // The directories this run made: what lies in them is this run's own, the files
    // it placed there (upper-cased) and nothing else.
    std::unordered_set<std::string> madeDirectories_, placedInMadeDirectories_;
    std::size_t keysTotal_ = 0, keysDone_ = 0;
    std::uint64_t bytesTotal_ = 0, bytesDone_ = 0;
    int registryFailures_ = 0;
    bool uninstallShortcutDone_ = false;
    bool completed_ = false;
};

// Withdraws a deletion at the next restart that was asked for the path.
void cancelDeletionAtRestart(InstallHost& host, const std::string& path);

// Hands the pending replacements to the system: each temporary file is moved
// over its target at the next restart, through wininit.ini's [Rename] section
// where the system cannot do it itself.
void handOverPendingReplacements(InstallHost& host,
                                 const std::vector<PendingReplacement>& replacements);

}  // namespace vortix

// One machine in memory for the tests of both programs: one file system, one
// registry, one restart queue and one user, seen through the tables of the
// installation run (install) and of the uninstall run (uninstall), so that an
// installation and the removal that follows can run on the same machine. Every
// effect can be read back exactly.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "installer/common/text_fold.h"
#include "installer/setup/actions/install_host.h"
#include "installer/setup/actions/rollback.h"
#include "installer/uninstall/uninstall_host.h"
#include "tests/installer/common/fake_registry.h"

namespace testing_support {

using namespace vortix;

struct FakeFile {
    std::string content;
    std::uint32_t attributes = 0;
    std::uint64_t created = 0, lastWritten = 0;
    VersionInfo version;
    bool inUse = false;       // open elsewhere: cannot be opened exclusively or deleted
    bool unreadable = false;  // reading is refused (its rights), writing is not
};

// Replaces "<Name>" variables from a table; a condition holds unless its first
// comparison's left operand is "false".
class FakeExpander : public TextExpander {
public:
    std::map<std::string, std::string> variables;
    std::string expand(std::string_view text) override;
    bool holds(const Condition& condition) override {
        return condition.comparisons.empty() || condition.comparisons.front().left != "false";
    }
};

class FakeMachine {
    // The tables, each a view of the one machine; made before the hosts that hold them.
    std::unique_ptr<InstallFiles> files_;
    std::unique_ptr<InstallShell> shell_;
    std::unique_ptr<InstallConverters> converters_;
    std::unique_ptr<InstallView> installUser_;
    std::unique_ptr<RestartSystem> restart_;
    std::unique_ptr<UninstallProgram> program_;
    std::unique_ptr<UninstallFiles> removalFiles_;
    std::unique_ptr<UninstallView> removalUser_;
    std::unique_ptr<UninstallerLauncher> launcher_;
    std::unique_ptr<ProgramFiles> programs_;

public:
    FakeMachine();
    ~FakeMachine();
    FakeMachine(const FakeMachine&) = delete;
    FakeMachine& operator=(const FakeMachine&) = delete;

    // ---- files and directories
    std::map<std::string, FakeFile> files;        // by upper-cased path
    std::set<std::string> directories;            // upper-cased
    std::set<std::string> deniedDirectories;      // cannot be created (access denied)
    std::set<std::string> unwritableDirectories;  // no new file may be made in them
    std::string currentDirectory;
    std::uint64_t now = 0;  // the last-write time a file gets when it is written
    // Calls of createNewFile so far (the write-privilege test makes one per directory).
    int newFileCalls = 0;
    int replacementFiles = 0;
    int movesOver = 0;  // new data moved over its target from beside it
    bool failUninstallerWrite = false;
    std::string uninstallerTarget;  // writes to this path fail when failUninstallerWrite

    // ---- the setup program and its package
    std::uint32_t ticks = 1000;
    std::uint64_t ownTime = 0;
    std::map<std::size_t, std::string> packageData;  // file index -> bytes
    std::set<std::size_t> failingData;               // writing these fails
    std::set<std::size_t> exhaustingData;            // writing these runs out of memory
    std::set<std::size_t> missingExternal;

    // ---- the uninstaller program
    std::string ownPath = "C:\\WINDOWS\\App Uninstaller.exe";
    std::string ownFile;
    bool ownFileReadable = true;
    std::set<std::string> mutexes;
    std::optional<std::uint32_t> preUninstallExit;  // nothing: cannot start
    std::vector<std::string> programsRun;
    std::vector<bool> programsRunSilently;  // what each was told about the run
    // Uninstallers the setup program started; each runs on this machine with the
    // log in its file.
    std::vector<std::string> uninstallersRun;

    // ---- the registry
    FakeRegistry registry;

    // ---- profiles, the shell, libraries
    std::map<std::string, std::map<std::string, std::string>>
        profiles;  // file/section -> key -> value
    bool profileFails = false;
    int profileFlushes = 0;
    std::vector<ShortcutSpec> shortcuts;
    bool shortcutFails = false;
    std::vector<std::string> foldersOpened;
    std::map<std::string, ServerRegistration>
        registration;  // by upper-cased path; default Registered
    std::vector<std::string> registered;
    bool mp3InitWorks = true;
    std::vector<std::string> mp3Calls;
    bool jpegWorks = true;

    // ---- the next restart
    bool ntFamily = true;
    bool restartDeletionWorks = true;
    bool restartReplaceWorks = true;
    std::vector<std::string> deletedAtRestart;
    std::vector<std::pair<std::string, std::string>> replacedAtRestart;  // from, to
    std::optional<std::string> wininit;
    std::map<std::string, std::string> shortPaths;  // by path; otherwise "SHORT:" + path

    // ---- the user: both programs' questions take their Yes/No answers from one queue
    std::deque<bool> yesNoAnswers;
    std::deque<bool> retryAnswers;
    std::deque<SharedFileAnswer> sharedAnswers;
    // The setup program's boxes, questions, status lines and progress.
    std::vector<std::string> messages;   // every box, in order
    std::vector<std::string> questions;  // the Yes/No and Retry/Cancel texts
    std::vector<std::string> statusLines;
    std::vector<int> progress;
    // The uninstaller's: every text put before the user, in order, and its windows.
    std::vector<std::string> shown;
    std::vector<Phase> phases;
    std::string result, details;

    // ---- the tables of each program's run
    InstallHost install;
    UninstallHost uninstall;
    RollbackServices rollback;

    // ---- building and reading the machine
    // A file, its folders made with it.
    FakeFile& addFile(const std::string& path, const std::string& content = "old");
    // A file as the uninstaller sees it: its time, version and read-only attribute.
    FakeFile& addStampedFile(const std::string& path, FileStamp stamp, bool readOnly = false);
    bool hasFile(const std::string& path) const { return files.count(upperCased(path)) > 0; }
    const FakeFile& file(const std::string& path) const { return files.at(upperCased(path)); }
    void addDirectory(const std::string& path) { directories.insert(upperCased(path)); }
    // The SharedDLLs count of a path; nothing when it has none.
    std::optional<std::uint32_t> sharedCount(const std::string& path) const;
    void setSharedCount(const std::string& path, std::uint32_t count);
    // Shared-file counts that cannot be opened.
    void lockSharedCounts();
    // "PendingFileRenameOperations"; nothing when the key is not there.
    std::optional<std::vector<std::string>> pendingRenames();
    void setPendingRenames(const std::vector<std::string>& strings);

private:
    class Files;
    class Shell;
    class Converters;
    class InstallUser;
    class Restart;
    class Program;
    class RemovalFiles;
    class RemovalUser;
    class Launcher;
    class Programs;

    bool directoryExists(const std::string& path) const;
    bool copyFile(const std::string& from, const std::string& to);
    bool writeFile(const std::string& path, const std::string& bytes);
};

}  // namespace testing_support

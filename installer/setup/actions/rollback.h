// Undoing an installation that did not complete. The files the run replaced go
// back first (so that the backup folder is empty again when the directories the
// run made are removed); then the records are undone in the way rollbackAction()
// chooses: in memory by the uninstall run itself, by the installed uninstaller,
// or by the extracted one with the log appended; and the originals are put back
// once more, for a file that waited for the restart and was just removed.
#pragma once

#include <optional>
#include <string>

#include "installer/common/log_context.h"
#include "installer/common/sealed_block.h"
#include "installer/setup/actions/install_host.h"
#include "installer/setup/actions/replaced_files.h"
#include "installer/uninstall/uninstall_host.h"

namespace vortix {

// Starts an uninstaller program with "/SILENT /NOREMOVE" in its own folder and
// waits until it ends; nothing when it cannot start.
class UninstallerLauncher {
public:
    virtual ~UninstallerLauncher() = default;
    virtual void runAndWait(const std::string& program) = 0;
};

// An uninstaller's program file, read, written and deleted as a whole.
class ProgramFiles {
public:
    virtual ~ProgramFiles() = default;
    // Nothing when the file cannot be read.
    virtual std::optional<std::string> read(const std::string& path) = 0;
    virtual bool write(const std::string& path, const std::string& bytes) = 0;
    // Clears the file's attributes.
    virtual void makePlain(const std::string& path) = 0;
    virtual void remove(const std::string& path) = 0;
};

// What the package and the run say about the uninstaller.
struct RollbackFacts {
    std::string productName;
    bool update = false;
    bool createsUninstaller = false;
    std::string installedUninstaller;  // in the Windows directory
    std::string extractedUninstaller;  // the temporary copy; empty when there is none
};

// What the rollback works through: the installation's tables, and the
// uninstaller's for undoing the records in memory (its program file is never read:
// the records come from the log instead).
struct RollbackServices {
    InstallHost& install;
    UninstallHost& removal;
    UninstallerLauncher& launcher;
    ProgramFiles& programs;
};

class Rollback {
public:
    Rollback(RollbackServices services, KeyDraw draw = clockKeyDraw())
        : services_(services), draw_(std::move(draw)) {}

    // Marks the log as a rollback's and undoes everything it and `originals` hold.
    void run(const RollbackFacts& facts, LogContext& log, ReplacedFiles& originals);

private:
    void undoInMemory(const RollbackFacts& facts, LogContext& log);
    void runInstalledUninstaller(const RollbackFacts& facts);
    void runExtractedUninstaller(const RollbackFacts& facts, LogContext& log);

    RollbackServices services_;
    KeyDraw draw_;
};

}  // namespace vortix

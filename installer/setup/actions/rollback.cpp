#include "installer/setup/actions/rollback.h"

#include "installer/common/uninstall_log.h"
#include "installer/setup/actions/install_run.h"
#include "installer/uninstall/uninstall_run.h"

namespace vortix {
namespace {

// The uninstaller's program as the uninstall run reads it: a file that holds
// nothing but the log, everything else the system's.
class LogOnlyProgram final : public UninstallProgram {
public:
    LogOnlyProgram(UninstallProgram& system, std::string file)
        : system_(system), file_(std::move(file)) {}
    bool readOwnFile(std::string& bytes) override {
        bytes = file_;
        return true;
    }
    std::string ownPath() override { return system_.ownPath(); }
    bool takeMutex(const std::string& name) override { return system_.takeMutex(name); }
    std::optional<std::uint32_t> runAndWait(const std::string& program, bool silentRun) override {
        return system_.runAndWait(program, silentRun);
    }

private:
    UninstallProgram& system_;
    std::string file_;
};

}  // namespace

void Rollback::run(const RollbackFacts& facts, LogContext& log, ReplacedFiles& originals) {
    InstallHost& host = services_.install;
    auto cancelDeletion = [&host](const std::string& path) { cancelDeletionAtRestart(host, path); };
    // The files the run replaced go back first, so that the backup folder is empty
    // again when the uninstaller removes the directories the run made.
    originals.restore(host, false, cancelDeletion);
    log.rollback = true;
    switch (rollbackAction(facts.update, facts.createsUninstaller, log)) {
        case RollbackAction::RemoveRecordedFiles: undoInMemory(facts, log); break;
        case RollbackAction::RunInstalledUninstaller: runInstalledUninstaller(facts); break;
        case RollbackAction::RunRollbackLog: runExtractedUninstaller(facts, log); break;
    }
    // A file that waited for the restart stayed in place; the removal just took it.
    originals.restore(host, true, cancelDeletion);
    // The values the run wrote over were just deleted with the records: their old
    // data goes back.
    originals.restoreValues(host.registry);
}

void Rollback::undoInMemory(const RollbackFacts& facts, LogContext& log) {
    // No uninstaller program of its own: the records are undone here, all of them
    // (shared counts, files, directories, registry), as the uninstaller would.
    std::string text = log.buildText(facts.productName, "");
    LogOnlyProgram program(services_.removal.program, withLog("MZ", text, draw_));
    UninstallHost undo{program, services_.removal.files, services_.removal.registry,
                       services_.removal.restart, services_.removal.view};
    UninstallOptions options;
    options.silent = options.noRemove = true;
    runUninstall(undo, options);
}

void Rollback::runInstalledUninstaller(const RollbackFacts& facts) {
    services_.launcher.runAndWait(facts.installedUninstaller);
    services_.programs.makePlain(facts.installedUninstaller);
    services_.programs.remove(facts.installedUninstaller);
}

void Rollback::runExtractedUninstaller(const RollbackFacts& facts, LogContext& log) {
    const std::string& extracted = facts.extractedUninstaller;
    if (extracted.empty())
        return;
    std::optional<std::string> image = services_.programs.read(extracted);
    if (!image || image->empty())
        return;
    std::string text = log.buildText(facts.productName, "");
    if (!services_.programs.write(extracted, withLog(*image, text, draw_)))
        return;
    services_.launcher.runAndWait(extracted);
    services_.programs.remove(extracted);
}

}  // namespace vortix

#include "installer/setup/actions/stage_file_operation.h"

#include "installer/common/local_path.h"
#include "installer/setup/actions/install_steps.h"
#include "installer/setup/actions/install_text.h"

namespace vortix {
namespace {

bool refused(InstallHost& host, const std::string& path) {
    if (isPlainLocalPath(path))
        return false;
    host.view.showMessage(notLocalPathMessage(path), MessageIcon::Error);
    return true;
}

}  // namespace

StageOutcome runStageFileOperation(InstallHost& host, LogContext& log, ReplacedFiles& originals,
                                   StageFileAction action, const std::string& source,
                                   const std::string& target, const std::string& backupDirectory) {
    InstallSteps steps(host, log);
    if (refused(host, source))
        return StageOutcome::Refused;
    if (action == StageFileAction::Delete) {
        if (!host.files.fileExists(source))
            return StageOutcome::Failed;
        std::size_t mark = originals.kept().size();
        if (!originals.keepCopy(host, source))
            return StageOutcome::Failed;
        if (!steps.removeFile(source)) {
            originals.forgetSince(host, mark);
            return StageOutcome::Failed;
        }
        return StageOutcome::Done;
    }
    if (refused(host, target))
        return StageOutcome::Refused;
    if (!host.files.fileExists(source))
        return StageOutcome::Failed;

    const bool existed = host.files.fileExists(target);
    const std::size_t mark = originals.kept().size();
    std::optional<BackupRecord> backup;
    if (existed) {
        if (!backupDirectory.empty())
            backup = steps.copyForBackup(target, backupDirectory);
        bool kept = backup ? (originals.keep(target, backup->backupCopy, KeptAs::Backup), true)
                           : originals.keepCopy(host, target);
        if (!kept)
            return StageOutcome::Failed;
    }
    const bool moves = action != StageFileAction::Copy;
    if (moves && !originals.keepCopy(host, source)) {
        originals.forgetSince(host, mark);
        if (backup)
            steps.removeFile(backup->backupCopy);
        return StageOutcome::Failed;
    }
    // A copy is made whole beside the target first; a move is one step.
    bool done;
    if (moves) {
        done = host.files.moveOver(source, target);
    } else {
        std::string beside =
            besideName(target, [&host](const std::string& n) { return host.files.fileExists(n); });
        done = host.files.copyFile(source, beside) && host.files.moveOver(beside, target);
        if (!done && host.files.fileExists(beside))
            steps.removeFile(beside);
    }
    if (!done) {
        originals.forgetSince(host, mark);
        if (backup)
            steps.removeFile(backup->backupCopy);
        return StageOutcome::Failed;
    }
    if (!existed)
        log.recordFile(target);
    if (backup) {
        VersionInfo version = host.files.versionInfo(target);
        steps.recordBackup(*backup, version.versionHigh, version.versionLow,
                           host.files.lastWriteTime(target).value_or(0));
    }
    return StageOutcome::Done;
}

}  // namespace vortix

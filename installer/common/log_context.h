// What the setup program records while it installs, and the plain log text built
// from it: for the installed uninstaller, for a rollback, or merged into the log
// of an installation already on the machine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "installer/common/registry_log_tree.h"

namespace vortix {

// One backup line: six fields separated by TAB.
struct BackupRecord {
    std::string backupCopy;  // installation directory, "Backup\", file name
    std::string filePath;    // the file that was backed up
    std::int32_t versionHigh = 0, versionLow = 0;
    std::int32_t timeHigh = 0, timeLow = 0;

    std::string line() const;
    static std::optional<BackupRecord> parse(std::string_view line);
};

class LogContext {
public:
    // The extracted uninstaller program (a temporary file of the setup program).
    std::string extractedUninstaller;

    void recordFile(std::string_view path) { files_.emplace_back(path); }
    void recordDirectory(std::string_view path) { directories_.emplace_back(path); }
    void recordShared(std::string_view path) { shared_.emplace_back(path); }
    // The installation gave a shared file that was there without a use count a
    // count of its own: logged as a value it wrote, so that the removal, once the
    // count is back to the one user that was there, leaves no count behind.
    void recordCountMade(std::string_view path) { countsMade_.emplace_back(path); }
    void recordBackup(std::string_view line);
    // The plug-in recording calls: the root's handle value and the key path.
    void recordKey(std::int32_t rootHandle, std::string_view keyPath);
    void recordValue(std::int32_t rootHandle, std::string_view keyPath, std::string_view valueName);

    // The package's own registry items, as the install writes them.
    RegistryLogTree& registry() { return registry_; }

    // Set before the registry phase starts.
    bool registryWritten = false;
    // Set once the log is in the installed uninstaller.
    bool uninstallerWritten = false;
    // Set while the rollback log is built.
    bool rollback = false;

    const std::vector<std::string>& files() const { return files_; }
    const std::vector<std::string>& directories() const { return directories_; }

    // The plain log text. Lists are written last-first and emptied, the backup text
    // is emptied, the tree released. The program path is left out of a rollback log.
    std::string buildText(std::string_view productName, std::string_view preUninstallProgram);

    // The text of an existing log with the records gathered since the last write
    // merged in: each new line right after its section header (so the latest
    // stand first), the registry tree rebuilt when there is anything to add.
    // Nothing when the old text is not a log the uninstaller can read (header line,
    // all five sections in order, a sound tree); the records then stay.
    std::optional<std::string> mergeInto(std::string_view oldText);

private:
    bool hasRegistryRecords() const {
        return !registry_.empty() || !keys_.empty() || !values_.empty() || !countsMade_.empty();
    }
    void foldRecordsInto(RegistryLogTree& tree);

    std::vector<std::string> files_, directories_, shared_, keys_, values_, countsMade_;
    std::string backups_;
    RegistryLogTree registry_;
};

}  // namespace vortix

namespace vortix {

// What an aborted installation undoes.
enum class RollbackAction {
    // An update, or a package without an uninstaller: delete the recorded files and
    // directories in recording order (nothing, once the uninstaller is written).
    RemoveRecordedFiles,
    // The installed uninstaller already holds the log: run it silently, then delete it.
    RunInstalledUninstaller,
    // Build the rollback log, append it to the extracted uninstaller and run that.
    RunRollbackLog,
};

RollbackAction rollbackAction(bool isUpdate, bool createsUninstaller, const LogContext& context);

}  // namespace vortix

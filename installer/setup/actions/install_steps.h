// Steps that both the install run and the plug-in's recording calls take: making
// directories, counting shared files, backing files up. Each records into the log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "installer/common/log_context.h"
#include "installer/setup/actions/install_host.h"

namespace vortix {

// The message shown when a directory cannot be created (the access-denied
// addition when the system refused access).
std::string directoryFailureMessage(const std::string& directory, bool accessDenied);

class InstallSteps {
public:
    InstallSteps(InstallHost& host, LogContext& log) : host_(host), log_(log) {}

    // Creates a directory with all missing parents, walking from the drive root;
    // only "X:\..." paths are handled. Each directory made is recorded. Unless
    // quiet, a failure is shown.
    bool createDirectories(const std::string& path, bool quiet);

    // Adds 1 to the path's SharedDLLs count and records it as shared; false, with
    // nothing counted or recorded, when the counts cannot be opened. A missing count
    // is 0, unless `fileIsThere`: a file already on the machine without a count was
    // put there by a program that did not count it, which is one user already.
    bool countSharedFile(const std::string& path, bool fileIsThere = false);

    // Copies the file to installDirectory\Backup\ (the folder made when missing)
    // under its own name, or a numbered one when an earlier copy has that name.
    // The record names both files; its version and time are the caller's. Nothing
    // when the copy could not be made.
    std::optional<BackupRecord> copyForBackup(const std::string& path,
                                              const std::string& installDirectory);
    // The backup line, with the version and last-write time given.
    void recordBackup(BackupRecord record, std::uint32_t versionHigh, std::uint32_t versionLow,
                      std::uint64_t time);
    // Both: false when the copy could not be made; nothing is recorded then.
    bool backUp(const std::string& path, const std::string& installDirectory,
                std::uint32_t versionHigh, std::uint32_t versionLow, std::uint64_t time);

    // Clears the read-only attribute, then deletes.
    bool removeFile(const std::string& path);

private:
    InstallHost& host_;
    LogContext& log_;
};

}  // namespace vortix

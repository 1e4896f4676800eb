#include "installer/setup/actions/install_steps.h"

#include "installer/common/shared_counts.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/actions/windows_path.h"

namespace vortix {
namespace {

bool isDriveLetterPath(const std::string& path) {
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\')
        return false;
    char d = path[0];
    return (d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z');
}

}  // namespace

std::string directoryFailureMessage(const std::string& directory, bool accessDenied) {
    std::string text = "Couldn't create directory '" + directory + "'.";
    if (accessDenied)
        text +=
            " Error: Access denied; You may not have required privileges for installing this "
            "software. Please have your system administrator (or other user with higher "
            "privileges) install this software.";
    return text;
}

bool InstallSteps::createDirectories(const std::string& path, bool quiet) {
    if (!isDriveLetterPath(path)) {
        if (!quiet)
            host_.view.showMessage(directoryFailureMessage(path, false), MessageIcon::Error);
        return false;
    }
    std::string current = path.substr(0, 2);  // "X:"
    for (std::size_t start = 3; start < path.size();) {
        std::size_t slash = path.find('\\', start);
        std::size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > start) {
            current += "\\" + path.substr(start, end - start);
            if (!host_.files.directoryExists(current)) {
                CreateResult made = host_.files.createDirectory(current);
                if (made == CreateResult::Created) {
                    log_.recordDirectory(current);
                } else if (made != CreateResult::Exists || !host_.files.directoryExists(current)) {
                    if (!quiet)
                        host_.view.showMessage(
                            directoryFailureMessage(current, made == CreateResult::AccessDenied),
                            MessageIcon::Error);
                    return false;
                }
            }
        }
        start = end + 1;
    }
    return true;
}

bool InstallSteps::countSharedFile(const std::string& path, bool fileIsThere) {
    SharedCounts counts(host_.registry);
    if (!counts.open(SharedCountsOpen::CreateWhenMissing))
        return false;
    std::optional<std::uint32_t> count = counts.count(path);
    // A file that is there without a count has one user already.
    bool made = !count && fileIsThere;
    if (!counts.set(path, count.value_or(fileIsThere ? 1 : 0) + 1))
        made = false;
    counts.close();
    log_.recordShared(path);
    if (made)
        log_.recordCountMade(path);
    return true;
}

std::optional<BackupRecord> InstallSteps::copyForBackup(const std::string& path,
                                                        const std::string& installDirectory) {
    std::string folder = joinPath(installDirectory, "Backup");
    if (!createDirectories(folder, true))
        return std::nullopt;
    BackupRecord record;
    // An earlier copy of a file of the same name (another folder, or an earlier
    // installation) keeps its own: each line names the copy it restores from.
    record.backupCopy = backupCopyName(folder, fileNameOf(path), [this](const std::string& n) {
        return host_.files.fileExists(n);
    });
    record.filePath = path;
    if (!host_.files.copyFile(path, record.backupCopy))
        return std::nullopt;
    return record;
}

void InstallSteps::recordBackup(BackupRecord record, std::uint32_t versionHigh,
                                std::uint32_t versionLow, std::uint64_t time) {
    record.versionHigh = static_cast<std::int32_t>(versionHigh);
    record.versionLow = static_cast<std::int32_t>(versionLow);
    record.timeHigh = static_cast<std::int32_t>(static_cast<std::uint32_t>(time >> 32));
    record.timeLow = static_cast<std::int32_t>(static_cast<std::uint32_t>(time));
    log_.recordBackup(record.line());
}

bool InstallSteps::backUp(const std::string& path, const std::string& installDirectory,
                          std::uint32_t versionHigh, std::uint32_t versionLow, std::uint64_t time) {
    std::optional<BackupRecord> record = copyForBackup(path, installDirectory);
    if (!record)
        return false;
    recordBackup(std::move(*record), versionHigh, versionLow, time);
    return true;
}

bool InstallSteps::removeFile(const std::string& path) {
    if (std::optional<std::uint32_t> attributes = host_.files.attributes(path))
        host_.files.setAttributes(path, *attributes & ~kAttributeReadOnly);
    return host_.files.deleteFile(path);
}

}  // namespace vortix

#include "installer/uninstall/uninstall_run.h"

#include <new>
#include <vector>

#include "installer/common/local_path.h"
#include "installer/common/shared_counts.h"
#include "installer/common/text_fold.h"
#include "installer/common/uninstall_log_format.h"

namespace vortix {
namespace {

constexpr std::string_view kNoRights =
    "You don't have required privileges to uninstall this software. Please have your system "
    "administrator (or other user with higher privileges) uninstall this software.";
constexpr std::string_view kRestoreQuestion =
    "Vortix Installer has taken backup copies of DLL, VxD, drv and other system files during "
    "installation. Do you want to restore these backups? (This is recommended if the program "
    "has caused malicious functionality.)";

// The command line is upper-cased as the system code page's Latin letters go:
// ASCII, and å ä ö.
char upperForOptions(char c) {
    auto b = static_cast<unsigned char>(c);
    if (b >= 'a' && b <= 'z')
        return static_cast<char>(b - 0x20);
    if (b == 0xE5 || b == 0xE4 || b == 0xF6)
        return static_cast<char>(b - 0x20);
    return c;
}

void addFailure(std::string& text, std::string_view path) {
    text.append(path).append(kLineEnd);
}

class RegistryWalk {
public:
    RegistryWalk(UninstallHost& host, WalkMode mode, UninstallFailures& failures)
        : host_(host), mode_(mode), failures_(failures) {}

    bool walk(RegistryRoot root, const RegistryKeyNode& logged) {
        stack_.assign(1, std::string(kRootNames[static_cast<int>(root)]));
        return node(host_.registry.rootKey(root), logged);
    }

private:
    bool node(KeyHandle key, const RegistryKeyNode& logged) {
        if (mode_ == WalkMode::Delete)
            for (const RegistryValueRecord& value : logged.values)
                if (value.flag == kValueWritten)
                    host_.registry.deleteValue(key, value.name);
        for (const RegistryKeyNode& subkey : logged.subkeys) {
            stack_.push_back(subkey.name);
            bool ok = child(key, subkey);
            stack_.pop_back();
            if (!ok)
                return false;
        }
        return true;
    }

    bool child(KeyHandle parent, const RegistryKeyNode& logged) {
        KeyHandle key = 0;
        KeyOpen opened = host_.registry.openKey(parent, logged.name, KeyAccess::Write, key);
        if (opened == KeyOpen::AccessDenied) {
            // Without values to delete, a key that may only be read can still be walked.
            if (!logged.values.empty())
                return false;
            if (host_.registry.openKey(parent, logged.name, KeyAccess::Read, key) !=
                KeyOpen::Opened)
                return false;
        } else if (opened == KeyOpen::Missing) {
            return true;  // gone already: its logged subtree is skipped
        }
        bool ok = node(key, logged);
        if (!ok || mode_ == WalkMode::Check) {
            host_.registry.closeKey(key);
            return ok;
        }
        if (logged.flag == kKeyExisted) {
            host_.registry.closeKey(key);
            return true;
        }
        bool stillHasSubkey = host_.registry.hasSubkey(key);
        host_.registry.closeKey(key);
        if (stillHasSubkey || !host_.registry.deleteKey(parent, logged.name))
            reportKey();
        return true;
    }

    void reportKey() {
        std::string path;
        for (const std::string& part : stack_) {
            if (!path.empty())
                path.push_back('\\');
            path.append(part);
        }
        std::string_view reported = failures_.keys;
        while (!reported.empty()) {
            std::size_t end = reported.find(kLineEnd);
            if (equalsIgnoringCase(reported.substr(0, end), path))
                return;
            reported.remove_prefix(end + kLineEnd.size());
        }
        addFailure(failures_.keys, path);
    }

    UninstallHost& host_;
    WalkMode mode_;
    UninstallFailures& failures_;
    std::vector<std::string> stack_;
};

class Run {
public:
    Run(UninstallHost& host, const UninstallOptions& options) : host_(host), options_(options) {}

    int run() {
        if (!readLog())
            return 0;
        if (!host_.program.takeMutex("vuin_" + log_.productName + "_mutex"))
            return 0;
        if (!options_.silent && !host_.view.askYesNo("This will remove " + log_.productName +
                                                     " from your system, do you want to continue?"))
            return 0;
        if (log_.runsPreUninstallProgram()) {
            std::optional<std::uint32_t> code =
                host_.program.runAndWait(log_.preUninstallProgram, options_.silent);
            if (code && *code == 0)
                return 0;  // the program said no
        }
        if (!options_.silent)
            host_.view.showProgress("Removing " + log_.productName + " from your system...");
        if (!mayChangeRegistry()) {
            if (!options_.silent)
                host_.view.showError(std::string(kNoRights));
            return 0;
        }
        removeSharedFiles();
        restoreBackups();
        removeFiles();
        removeDirectories();
        removeRegistryEntries();
        if (!options_.noRemove)
            removeSelf();
        if (options_.silent)
            return 1;
        std::string result = "Uninstallation successful.";
        if (!failures_.empty())
            result += " Couldn't remove all elements.";
        host_.view.showResult(result, failures_.detailsText());
        return 1;
    }

private:
    bool readLog() {
        std::variant<UninstallLog, LogError> read = LogError::CannotRead;
        try {
            std::string file;
            if (host_.program.readOwnFile(file))
                read = readUninstallLog(file);
        } catch (const std::bad_alloc&) {
            read = LogError::OutOfMemory;
        }
        if (const LogError* error = std::get_if<LogError>(&read)) {
            if (!options_.silent)
                host_.view.showError(std::string(messageFor(*error)));
            return false;
        }
        log_ = std::move(std::get<UninstallLog>(read));
        return true;
    }

    void phase(Phase p) {
        if (!options_.silent)
            host_.view.showPhase(p);
    }

    bool mayChangeRegistry() {
        if (!log_.hasRegistry || !host_.restart.isNtFamily())
            return true;
        UninstallFailures ignored;
        for (int r = 0; r < kRootCount; ++r)
            if (!walkRegistryRoot(host_, static_cast<RegistryRoot>(r), log_.registry.roots[r],
                                  WalkMode::Check, ignored))
                return false;
        return true;
    }

    // The logged record of a count the installation made for `path`; null when none.
    RegistryValueRecord* countMade(const std::string& path) {
        RegistryKeyNode* node = log_.hasRegistry ? findSharedCountsNode(log_.registry) : nullptr;
        if (node)
            for (RegistryValueRecord& value : node->values)
                if (value.flag == kValueWritten && equalsIgnoringCase(value.name, path))
                    return &value;
        return nullptr;
    }

    void removeSharedFiles() {
        phase(Phase::SharedFiles);
        SharedCounts counts(host_.registry);
        if (log_.shared.empty() || !counts.open(SharedCountsOpen::ExistingOnly))
            return;
        bool yesToAll = options_.silent, noToAll = false;
        for (const std::string& path : log_.shared) {
            std::uint32_t count = counts.count(path).value_or(0);
            // A count the installation made for a file that was there without one:
            // back at its one user, the file is left as it was found, with no count.
            if (RegistryValueRecord* made = countMade(path)) {
                made->flag = kValueKept;  // seen to here, not by the registry phase
                if (count == 2) {
                    counts.remove(path);
                    continue;
                }
            }
            if (count >= 2) {
                counts.set(path, count - 1);
                continue;
            }
            bool remove;
            if (noToAll) {
                remove = false;
            } else if (yesToAll) {
                remove = true;
            } else {
                SharedFileAnswer answer = host_.view.askSharedFile(
                    "Shared file " + path +
                    " doesn't seem to be used by any programs. Do you want to remove this file?");
                remove = answer == SharedFileAnswer::Yes || answer == SharedFileAnswer::YesToAll;
                yesToAll = answer == SharedFileAnswer::YesToAll;
                noToAll = answer == SharedFileAnswer::NoToAll;
            }
            if (!remove) {
                // A file the user keeps is still in use: a count of 0 would read as
                // no user to the next installation, and its removal would delete it.
                counts.set(path, 1);
                continue;
            }
            counts.remove(path);
            if (isPlainLocalPath(path))
                host_.files.deleteFile(path);  // a shared file that stays is not reported
            else
                addFailure(failures_.files, path);
        }
        counts.close();
    }

    void restoreBackups() {
        phase(Phase::Backups);
        if (log_.backupLines.empty() || options_.silent)
            return;
        if (!host_.view.askYesNo(std::string(kRestoreQuestion)))
            return;
        for (const std::string& line : log_.backupLines) {
            std::optional<BackupRecord> backup = BackupRecord::parse(line);
            if (!backup || !isPlainLocalPath(backup->filePath))
                continue;
            std::optional<FileStamp> now = host_.files.stamp(backup->filePath);
            // Only a file the installation left as it was is put back; one the user
            // or another program changed since stays.
            bool unchanged = now && now->timeHigh == static_cast<std::uint32_t>(backup->timeHigh) &&
                             now->timeLow == static_cast<std::uint32_t>(backup->timeLow) &&
                             now->versionHigh == static_cast<std::uint32_t>(backup->versionHigh) &&
                             now->versionLow == static_cast<std::uint32_t>(backup->versionLow);
            if (!now || unchanged)
                host_.files.copyFile(backup->backupCopy, backup->filePath);
        }
    }

    void removeFiles() {
        phase(Phase::Files);
        for (const std::string& path : log_.files)
            if (!isPlainLocalPath(path) || host_.files.deleteFile(path) == RemoveResult::Failed)
                addFailure(failures_.files, path);
    }

    void removeDirectories() {
        phase(Phase::Directories);
        host_.files.setCurrentDirectory("c:\\");
        for (const std::string& path : log_.directories)
            if (!isPlainLocalPath(path) ||
                host_.files.removeDirectory(path) == RemoveResult::Failed)
                addFailure(failures_.directories, path);
    }

    void removeRegistryEntries() {
        phase(Phase::Registry);
        if (!log_.hasRegistry)
            return;
        for (int r = 0; r < kRootCount; ++r)
            walkRegistryRoot(host_, static_cast<RegistryRoot>(r), log_.registry.roots[r],
                             WalkMode::Delete, failures_);
    }

    void removeSelf() { deleteAtRestartOrByWininit(host_.restart, host_.program.ownPath()); }

    UninstallHost& host_;
    UninstallOptions options_;
    UninstallLog log_;
    UninstallFailures failures_;
};

}  // namespace

UninstallOptions parseCommandLine(std::string_view commandLine) {
    std::string upper(commandLine);
    for (char& c : upper)
        c = upperForOptions(c);
    UninstallOptions options;
    options.silent = upper.find("/SILENT") != std::string::npos;
    options.noRemove = upper.find("/NOREMOVE") != std::string::npos;
    return options;
}

std::string UninstallFailures::detailsText() const {
    std::string text;
    if (!files.empty())
        text += "Couldn't delete following files:\r\n" + files + "\r\n";
    if (!directories.empty())
        text += "Couldn't remove following directories:\r\n" + directories + "\r\n";
    if (!keys.empty())
        text += "Couldn't delete following registry keys:\r\n" + keys + "\r\n";
    if (text.size() >= 2)
        text.resize(text.size() - 2);
    return text;
}

bool walkRegistryRoot(UninstallHost& host, RegistryRoot root, const RegistryKeyNode& logged,
                      WalkMode mode, UninstallFailures& failures) {
    return RegistryWalk(host, mode, failures).walk(root, logged);
}

int runUninstall(UninstallHost& host, const UninstallOptions& options) {
    return Run(host, options).run();
}

}  // namespace vortix

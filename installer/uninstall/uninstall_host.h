// Everything an uninstall run does outside itself, behind one table: files,
// the registry, the shared-file counts, processes, the questions it asks and the
// progress it shows. The run (uninstall_run.h) is portable; win32_host.cpp is the
// system's side, and tests put a fake in its place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "installer/common/registry_log_tree.h"

namespace vortix {

enum class RemoveResult { Removed, NotFound, Failed };

enum class KeyOpen { Opened, AccessDenied, Missing };

enum class SharedFileAnswer { Yes, YesToAll, No, NoToAll };

// A registry key the host opened; 0 is no key.
using KeyHandle = std::uintptr_t;

struct FileStamp {
    std::uint32_t timeHigh = 0, timeLow = 0;
    std::uint32_t versionHigh = 0, versionLow = 0;  // 0.0.0.0 without a version resource
};

// The five phase markers of the progress window, top to bottom.
enum class Phase { SharedFiles, Backups, Files, Directories, Registry };

class UninstallHost {
public:
    virtual ~UninstallHost() = default;

    // ---- the program itself
    virtual bool readOwnFile(std::string& bytes) = 0;
    virtual std::string ownPath() = 0;
    // False when a mutex of that name exists already (another run is going on).
    virtual bool takeMutex(const std::string& name) = 0;
    virtual bool isNtFamily() = 0;
    // Runs a program with no arguments and waits for it; nothing when it cannot start.
    virtual std::optional<std::uint32_t> runAndWait(const std::string& program) = 0;

    // ---- files and directories
    // Clears the read-only attribute of an existing file, then deletes it.
    virtual RemoveResult deleteFile(const std::string& path) = 0;
    virtual RemoveResult removeDirectory(const std::string& path) = 0;
    virtual void setCurrentDirectory(const std::string& path) = 0;
    // Nothing when the file does not exist.
    virtual std::optional<FileStamp> stamp(const std::string& path) = 0;
    virtual bool copyFile(const std::string& from, const std::string& to) = 0;

    // ---- shared-file counts (HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs)
    virtual bool openSharedCounts() = 0;
    virtual std::optional<std::uint32_t> sharedCount(const std::string& path) = 0;
    virtual void setSharedCount(const std::string& path, std::uint32_t count) = 0;
    virtual void deleteSharedCount(const std::string& path) = 0;
    virtual void closeSharedCounts() = 0;

    // ---- the registry
    virtual KeyHandle rootKey(RegistryRoot root) = 0;
    virtual KeyOpen openKey(KeyHandle parent, const std::string& name, bool writable,
                            KeyHandle& key) = 0;
    virtual void closeKey(KeyHandle key) = 0;
    virtual void deleteValue(KeyHandle key, const std::string& name) = 0;
    virtual bool hasSubkey(KeyHandle key) = 0;
    virtual bool deleteKey(KeyHandle parent, const std::string& name) = 0;

    // ---- removal of the program file at the next restart
    virtual bool deleteAtRestart(const std::string& path) = 0;
    virtual std::string shortPath(const std::string& path) = 0;
    // wininit.ini in the Windows directory; nothing when it cannot be read.
    virtual std::optional<std::string> readWininit() = 0;
    virtual void writeWininit(const std::string& text) = 0;

    // ---- what the user sees (never called in silent mode)
    virtual void showError(const std::string& text) = 0;
    virtual bool askYesNo(const std::string& text) = 0;
    virtual SharedFileAnswer askSharedFile(const std::string& text) = 0;
    virtual void showProgress(const std::string& removingText) = 0;
    virtual void showPhase(Phase phase) = 0;
    // The result line, and the failures behind "Details..." (empty: none); returns
    // when the user closes the window.
    virtual void showResult(const std::string& resultText, const std::string& details) = 0;
};

}  // namespace vortix

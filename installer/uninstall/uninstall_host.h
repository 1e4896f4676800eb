// Everything an uninstall run does outside itself, in a few tables a fake can
// implement one at a time: the program itself (its file, its mutex, the program
// run before the removal), files, the registry and the restart queue (the tables
// the setup program shares), and what the user sees. The run (uninstall_run.h) is
// portable and takes them together as one UninstallHost; win32_host.cpp is the
// system's side, and tests put a fake machine in its place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "installer/common/registry.h"
#include "installer/common/restart_queue.h"

namespace vortix {

enum class RemoveResult { Removed, NotFound, Failed };

enum class SharedFileAnswer { Yes, YesToAll, No, NoToAll };

struct FileStamp {
    std::uint32_t timeHigh = 0, timeLow = 0;
    std::uint32_t versionHigh = 0, versionLow = 0;  // 0.0.0.0 without a version resource
};

// The five phase markers of the progress window, top to bottom.
enum class Phase { SharedFiles, Backups, Files, Directories, Registry };

class UninstallProgram {
public:
    virtual ~UninstallProgram() = default;
    virtual bool readOwnFile(std::string& bytes) = 0;
    virtual std::string ownPath() = 0;
    // False when a mutex of that name exists already (another run is going on).
    virtual bool takeMutex(const std::string& name) = 0;
    // Runs a program with no arguments and waits for it; nothing when it cannot start.
    // In a silent run the program finds VXUNINST_SILENT=1 in its environment (and
    // otherwise no such variable), so that it asks nothing either.
    virtual std::optional<std::uint32_t> runAndWait(const std::string& program, bool silentRun) = 0;
};

class UninstallFiles {
public:
    virtual ~UninstallFiles() = default;
    // Clears the read-only attribute of an existing file, then deletes it.
    virtual RemoveResult deleteFile(const std::string& path) = 0;
    virtual RemoveResult removeDirectory(const std::string& path) = 0;
    virtual void setCurrentDirectory(const std::string& path) = 0;
    // Nothing when the file does not exist.
    virtual std::optional<FileStamp> stamp(const std::string& path) = 0;
    virtual bool copyFile(const std::string& from, const std::string& to) = 0;
};

// What the user sees (never called in silent mode).
class UninstallView {
public:
    virtual ~UninstallView() = default;
    virtual void showError(const std::string& text) = 0;
    virtual bool askYesNo(const std::string& text) = 0;
    virtual SharedFileAnswer askSharedFile(const std::string& text) = 0;
    virtual void showProgress(const std::string& removingText) = 0;
    virtual void showPhase(Phase phase) = 0;
    // The result line, and the failures behind "Details..." (empty: none); returns
    // when the user closes the window.
    virtual void showResult(const std::string& resultText, const std::string& details) = 0;
};

// The tables an uninstall run works through.
struct UninstallHost {
    UninstallProgram& program;
    UninstallFiles& files;
    Registry& registry;
    RestartSystem& restart;
    UninstallView& view;
};

}  // namespace vortix

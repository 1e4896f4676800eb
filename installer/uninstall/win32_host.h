// The uninstall host on Windows: the program, files and windows, with the
// registry and restart queue tables both programs share.
#pragma once

#include <windows.h>

#include <memory>

#include "installer/common/win32_registry.h"
#include "installer/common/win32_restart_system.h"
#include "installer/uninstall/uninstall_host.h"
#include "installer/uninstall/uninstall_windows.h"

namespace vortix {

class Win32Host : public UninstallProgram, public UninstallFiles, public UninstallView {
public:
    Win32Host() = default;
    ~Win32Host() override;

    // The tables the run works through.
    UninstallHost tables() { return {*this, *this, registry_, restart_, *this}; }

    bool readOwnFile(std::string& bytes) override;
    std::string ownPath() override;
    bool takeMutex(const std::string& name) override;
    std::optional<std::uint32_t> runAndWait(const std::string& program, bool silentRun) override;

    RemoveResult deleteFile(const std::string& path) override;
    RemoveResult removeDirectory(const std::string& path) override;
    void setCurrentDirectory(const std::string& path) override;
    std::optional<FileStamp> stamp(const std::string& path) override;
    bool copyFile(const std::string& from, const std::string& to) override;

    void showError(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    SharedFileAnswer askSharedFile(const std::string& text) override;
    void showProgress(const std::string& removingText) override;
    void showPhase(Phase phase) override;
    void showResult(const std::string& resultText, const std::string& details) override;

private:
    HWND owner() const { return progress_ ? progress_->handle() : nullptr; }

    HANDLE mutex_ = nullptr;
    Win32Registry registry_;
    Win32RestartSystem restart_;
    std::unique_ptr<ProgressWindow> progress_;
};

}  // namespace vortix

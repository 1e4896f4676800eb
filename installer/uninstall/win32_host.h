// The uninstall host on Windows: files, registry, processes and windows.
#pragma once

#include <windows.h>

#include <memory>

#include "installer/uninstall/uninstall_host.h"
#include "installer/uninstall/uninstall_windows.h"

namespace vortix {

class Win32Host : public UninstallHost {
public:
    Win32Host() = default;
    ~Win32Host() override;

    bool readOwnFile(std::string& bytes) override;
    std::string ownPath() override;
    bool takeMutex(const std::string& name) override;
    bool isNtFamily() override;
    std::optional<std::uint32_t> runAndWait(const std::string& program) override;

    RemoveResult deleteFile(const std::string& path) override;
    RemoveResult removeDirectory(const std::string& path) override;
    void setCurrentDirectory(const std::string& path) override;
    std::optional<FileStamp> stamp(const std::string& path) override;
    bool copyFile(const std::string& from, const std::string& to) override;

    bool openSharedCounts() override;
    std::optional<std::uint32_t> sharedCount(const std::string& path) override;
    void setSharedCount(const std::string& path, std::uint32_t count) override;
    void deleteSharedCount(const std::string& path) override;
    void closeSharedCounts() override;

    KeyHandle rootKey(RegistryRoot root) override;
    KeyOpen openKey(KeyHandle parent, const std::string& name, bool writable,
                    KeyHandle& key) override;
    void closeKey(KeyHandle key) override;
    void deleteValue(KeyHandle key, const std::string& name) override;
    bool hasSubkey(KeyHandle key) override;
    bool deleteKey(KeyHandle parent, const std::string& name) override;

    bool deleteAtRestart(const std::string& path) override;
    std::string shortPath(const std::string& path) override;
    std::optional<std::string> readWininit() override;
    void writeWininit(const std::string& text) override;

    void showError(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    SharedFileAnswer askSharedFile(const std::string& text) override;
    void showProgress(const std::string& removingText) override;
    void showPhase(Phase phase) override;
    void showResult(const std::string& resultText, const std::string& details) override;

private:
    HWND owner() const { return progress_ ? progress_->handle() : nullptr; }
    std::string wininitPath() const;

    HANDLE mutex_ = nullptr;
    HKEY sharedCounts_ = nullptr;
    std::unique_ptr<ProgressWindow> progress_;
};

}  // namespace vortix

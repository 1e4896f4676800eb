// The system's side of an installation run: files, registry, profiles, shell
// links, the add-on libraries and what the user sees, for InstallRun.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "installer/package/package_reader.h"
#include "installer/setup/actions/install_host.h"
#include "installer/setup/addons/win32_libraries.h"
#include "installer/setup/fault_plan.h"
#include "installer/setup/win32_messages.h"

namespace vortix {

// Where the run shows its status line and progress (a page, or nothing when silent).
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void setStatus(const std::string& text) = 0;
    virtual void setProgress(int percent) = 0;
};

struct InstallSources {
    PackageStream& stream;
    const std::vector<Extent>& fileData;  // where each packaged file's data lies
    std::string setupDirectory;           // beside the setup program: external files
    std::string setupProgram;             // its own path
    std::string temporaryDirectory;       // ends in "\"
};

class Win32InstallHost final : public InstallHost {
public:
    Win32InstallHost(InstallSources sources, SetupMessages& messages, ProgressView* view,
                     Mp3Library* mp3, JpegLibrary* jpeg, const FaultPlan& faults);
    ~Win32InstallHost() override;

    // Where status and progress go from now on (null: nowhere).
    void setView(ProgressView* view) { view_ = view; }

    std::uint32_t tickCount() override;
    std::uint64_t ownLastWriteTime() override;

    bool fileExists(const std::string& path) override;
    bool directoryExists(const std::string& path) override;
    CreateResult createDirectory(const std::string& path) override;
    CreateResult createNewFile(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    std::optional<std::uint32_t> attributes(const std::string& path) override;
    bool setAttributes(const std::string& path, std::uint32_t attributes) override;
    bool setTimes(const std::string& path, std::optional<std::uint64_t> created,
                  std::optional<std::uint64_t> lastWritten) override;
    std::optional<std::uint64_t> lastWriteTime(const std::string& path) override;
    VersionInfo versionInfo(const std::string& path) override;
    std::string languageName(std::uint32_t language) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    bool moveFile(const std::string& from, const std::string& to) override;
    bool moveOver(const std::string& from, const std::string& to) override;
    UseTest openExclusive(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path) override;
    bool writeFile(const std::string& path, const std::string& bytes) override;
    std::string newReplacementFile() override;

    bool externalFileExists(std::size_t fileIndex, const PackagedFile& file) override;
    bool writeFileData(std::size_t fileIndex, const PackagedFile& file,
                       const std::string& path) override;

    bool openSharedCounts() override;
    std::optional<std::uint32_t> sharedCount(const std::string& path) override;
    bool setSharedCount(const std::string& path, std::uint32_t count) override;
    void closeSharedCounts() override;

    KeyHandle rootKey(RegistryRoot root) override;
    KeyCreate createKey(KeyHandle parent, const std::string& name, KeyAccess access,
                        KeyHandle& key) override;
    void closeKey(KeyHandle key) override;
    bool setValue(KeyHandle key, const std::string& name, RegistryValueType type,
                  const std::string& data) override;

    bool writeProfileString(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) override;
    void flushProfiles() override;

    bool createShortcut(const ShortcutSpec& shortcut) override;
    void openFolder(const std::string& path) override;

    ServerRegistration registerServer(const std::string& path) override;
    bool mp3Init() override;
    bool mp3SetOutput(const std::string& wavPath) override;
    bool mp3Open(const std::string& mp3Path) override;
    void mp3PlayToEnd() override;
    void mp3Stop() override;
    bool convertJpeg(const std::string& jpgPath, const std::string& bmpPath) override;

    bool isNtFamily() override;
    bool deleteAtRestart(const std::string& path) override;
    bool replaceAtRestart(const std::string& from, const std::string& to) override;
    std::optional<std::vector<std::string>> pendingFileRenames() override;
    void setPendingFileRenames(const std::vector<std::string>& strings) override;
    std::string shortPath(const std::string& path) override;
    std::optional<std::string> readWininit() override;
    bool writeWininit(const std::string& text) override;

    void showMessage(const std::string& text, MessageIcon icon) override;
    bool askYesNo(const std::string& text) override;
    bool askRetryCancel(const std::string& text) override;
    void setStatus(const std::string& text) override;
    void setProgress(int percent) override;

private:
    std::string wininitPath() const;
    bool inUse(const std::string& path) const;

    InstallSources sources_;
    SetupMessages& messages_;
    ProgressView* view_;
    Mp3Library* mp3_;
    JpegLibrary* jpeg_;
    const FaultPlan& faults_;
    std::set<std::string> movedAway_;  // upper-cased paths of files in use, renamed since
    HKEY shared_ = nullptr;
    // Key handles handed out, with the path the fault plan knows them by.
    struct OpenKey {
        HKEY key;
        std::string path;
    };
    std::vector<OpenKey> keys_;
    std::string keyPath(KeyHandle key) const;
};

}  // namespace vortix

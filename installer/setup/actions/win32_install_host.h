// The system's side of an installation run, for InstallRun: files, profiles,
// shell links, the add-on libraries and what the user sees, with the registry
// and restart queue tables both programs share.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "installer/common/win32_registry.h"
#include "installer/common/win32_restart_system.h"
#include "installer/package/package_reader.h"
#include "installer/setup/actions/install_host.h"
#include "installer/setup/addons/win32_libraries.h"
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

class Win32InstallHost final : public InstallFiles,
                               public InstallShell,
                               public InstallConverters,
                               public InstallView {
public:
    Win32InstallHost(InstallSources sources, SetupMessages& messages, ProgressView* view,
                     Mp3Library* mp3, JpegLibrary* jpeg);

    // The tables the run works through.
    InstallHost tables() { return {*this, registry_, *this, *this, restart_, *this}; }

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
    bool placeFileData(std::size_t fileIndex, const PackagedFile& file, const std::string& beside,
                       const std::string& target, const NewFileMarks& stamp) override;

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

    void showMessage(const std::string& text, MessageIcon icon) override;
    bool askYesNo(const std::string& text) override;
    bool askRetryCancel(const std::string& text) override;
    void setStatus(const std::string& text) override;
    void setProgress(int percent) override;

private:
    // Writes the packaged data through the open handle of `path`.
    bool writeThrough(HANDLE target, std::size_t fileIndex, const PackagedFile& file,
                      const std::string& path);

    InstallSources sources_;
    SetupMessages& messages_;
    ProgressView* view_;
    Mp3Library* mp3_;
    JpegLibrary* jpeg_;
    Win32Registry registry_;
    Win32RestartSystem restart_;
};

// The tables an installation runs through in this build: the host's own in the
// product, with the failures a test asks for laid over them in the test build
// (fault_seam_product.cpp or fault_seam_test.cpp).
class InstallTables {
public:
    virtual ~InstallTables() = default;
    virtual InstallHost& host() = 0;
};

std::unique_ptr<InstallTables> installTablesOfThisBuild(Win32InstallHost& system);

}  // namespace vortix

// An install host with the file system, the registry and the user in memory: the
// run can be followed call by call and its effects read back exactly.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "installer/common/text_fold.h"
#include "installer/setup/actions/install_host.h"

namespace testing_support {

using namespace vortix;

struct FakeInstallFile {
    std::string content;
    std::uint32_t attributes = 0;
    std::uint64_t created = 0, lastWritten = 0;
    VersionInfo version;
    bool inUse = false;       // open elsewhere: cannot be opened exclusively or deleted
    bool unreadable = false;  // reading is refused (its rights), writing is not
};

struct FakeRegistryKey {
    std::map<std::string, std::unique_ptr<FakeRegistryKey>> subkeys;          // by upper-cased name
    std::map<std::string, std::pair<RegistryValueType, std::string>> values;  // upper-cased
    bool denyCreate = false;  // creating a subkey of it fails
    bool readOnly = false;    // opened at best for reading; values cannot be set
};

// Replaces "<Name>" variables from a table; a condition holds unless its first
// comparison's left operand is "false".
class FakeExpander : public TextExpander {
public:
    std::map<std::string, std::string> variables;
    std::string expand(std::string_view text) override;
    bool holds(const Condition& condition) override {
        return condition.comparisons.empty() || condition.comparisons.front().left != "false";
    }
};

class FakeInstallHost : public InstallHost {
public:
    // ---- the machine
    std::uint32_t ticks = 1000;
    std::uint64_t ownTime = 0;
    std::uint64_t now = 0;  // the last-write time a file gets when it is written
    bool ntFamily = true;
    std::map<std::string, FakeInstallFile> files;  // by upper-cased path
    std::set<std::string> directories;             // upper-cased
    std::set<std::string> deniedDirectories;       // cannot be created (access denied)
    std::set<std::string> unwritableDirectories;   // no new file may be made in them
    // Calls of createNewFile so far (the write-privilege test makes one per directory).
    int newFileCalls = 0;
    std::map<std::size_t, std::string> packageData;  // file index -> bytes
    std::set<std::size_t> failingData;               // writing these fails
    std::set<std::size_t> exhaustingData;            // writing these runs out of memory
    std::set<std::size_t> missingExternal;
    bool sharedCountsOpen = true;
    std::map<std::string, std::uint32_t> sharedCounts;  // upper-cased
    std::array<FakeRegistryKey, kRootCount> roots;
    std::map<std::string, std::map<std::string, std::string>>
        profiles;  // file/section -> key -> value
    bool profileFails = false;
    int profileFlushes = 0;
    std::vector<ShortcutSpec> shortcuts;
    bool shortcutFails = false;
    std::vector<std::string> foldersOpened;
    std::map<std::string, ServerRegistration>
        registration;  // by upper-cased path; default Registered
    std::vector<std::string> registered;
    bool mp3InitWorks = true;
    std::vector<std::string> mp3Calls;
    bool jpegWorks = true;
    std::vector<std::string> deletedAtRestart;
    bool restartReplaceWorks = true;
    std::vector<std::pair<std::string, std::string>> replacedAtRestart;  // from, to
    std::optional<std::vector<std::string>> pendingRenames;
    std::optional<std::string> wininit;
    int replacementFiles = 0;
    bool failUninstallerWrite = false;
    std::string uninstallerTarget;  // writes to this path fail when failUninstallerWrite

    // ---- the user
    std::deque<bool> yesNoAnswers;
    std::deque<bool> retryAnswers;
    std::vector<std::string> messages;   // every box, in order
    std::vector<std::string> questions;  // the Yes/No and Retry/Cancel texts
    std::vector<std::string> statusLines;
    std::vector<int> progress;

    // ---- building and reading the machine
    FakeInstallFile& addFile(const std::string& path, const std::string& content = "old");
    bool hasFile(const std::string& path) const { return files.count(upperCased(path)) > 0; }
    const FakeInstallFile& file(const std::string& path) const {
        return files.at(upperCased(path));
    }
    void addDirectory(const std::string& path) { directories.insert(upperCased(path)); }
    FakeRegistryKey& key(RegistryRoot root, const std::string& path);
    const FakeRegistryKey* findKey(RegistryRoot root, const std::string& path) const;

    // ---- InstallHost
    std::uint32_t tickCount() override { return ticks; }
    std::uint64_t ownLastWriteTime() override { return ownTime; }
    bool fileExists(const std::string& path) override { return hasFile(path); }
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
    bool externalFileExists(std::size_t index, const PackagedFile&) override {
        return !missingExternal.count(index);
    }
    bool writeFileData(std::size_t index, const PackagedFile& file,
                       const std::string& path) override;
    bool openSharedCounts() override { return sharedCountsOpen; }
    std::optional<std::uint32_t> sharedCount(const std::string& path) override;
    bool setSharedCount(const std::string& path, std::uint32_t count) override;
    void closeSharedCounts() override {}
    KeyHandle rootKey(RegistryRoot root) override;
    KeyCreate createKey(KeyHandle parent, const std::string& name, KeyAccess access,
                        KeyHandle& key) override;
    void closeKey(KeyHandle key) override { open_.erase(key); }
    bool setValue(KeyHandle key, const std::string& name, RegistryValueType type,
                  const std::string& data) override;
    bool writeProfileString(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) override;
    void flushProfiles() override { ++profileFlushes; }
    bool createShortcut(const ShortcutSpec& shortcut) override;
    void openFolder(const std::string& path) override { foldersOpened.push_back(path); }
    ServerRegistration registerServer(const std::string& path) override;
    bool mp3Init() override;
    bool mp3SetOutput(const std::string& wavPath) override;
    bool mp3Open(const std::string& mp3Path) override;
    void mp3PlayToEnd() override { mp3Calls.push_back("play"); }
    void mp3Stop() override { mp3Calls.push_back("stop"); }
    bool convertJpeg(const std::string& jpgPath, const std::string& bmpPath) override;
    bool isNtFamily() override { return ntFamily; }
    bool deleteAtRestart(const std::string& path) override;
    bool replaceAtRestart(const std::string& from, const std::string& to) override;
    std::optional<std::vector<std::string>> pendingFileRenames() override { return pendingRenames; }
    void setPendingFileRenames(const std::vector<std::string>& strings) override {
        pendingRenames = strings;
    }
    std::string shortPath(const std::string& path) override { return "SHORT:" + path; }
    std::optional<std::string> readWininit() override { return wininit; }
    bool writeWininit(const std::string& text) override {
        wininit = text;
        return true;
    }
    void showMessage(const std::string& text, MessageIcon) override { messages.push_back(text); }
    bool askYesNo(const std::string& text) override;
    bool askRetryCancel(const std::string& text) override;
    void setStatus(const std::string& text) override { statusLines.push_back(text); }
    void setProgress(int percent) override { progress.push_back(percent); }

    // Keys opened and not closed again (the roots are always open).
    int openKeys() const;

private:
    struct OpenKey {
        FakeRegistryKey* key;
        bool writable;
    };
    std::map<KeyHandle, OpenKey> open_;
    KeyHandle next_ = 100;
};

}  // namespace testing_support

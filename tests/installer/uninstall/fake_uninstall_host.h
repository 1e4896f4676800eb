// An uninstall host with the file system, the registry and the user in memory:
// the run can be followed call by call and its effects read back exactly.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "installer/common/text_fold.h"
#include "installer/uninstall/uninstall_host.h"

namespace testing_support {

using namespace vortix;

struct FakeKey {
    std::map<std::string, std::unique_ptr<FakeKey>> subkeys;  // by upper-cased name
    std::set<std::string> values;                             // upper-cased names
    bool denyWrite = false, denyRead = false;
};

struct FakeFile {
    bool readOnly = false;
    FileStamp stamp;
    std::string content;
    bool locked = false;  // cannot be deleted
};

class FakeUninstallHost : public UninstallHost {
public:
    FakeUninstallHost();

    // ---- the machine
    std::string ownFile;
    bool ownFileReadable = true;
    std::set<std::string> mutexes;
    bool ntFamily = true;
    std::optional<std::uint32_t> preUninstallExit;  // nothing: cannot start
    std::vector<std::string> programsRun;
    std::map<std::string, FakeFile> files;  // by upper-cased path
    std::set<std::string> directories;      // upper-cased
    std::string currentDirectory;
    bool sharedCountsKeyExists = true;
    int sharedCountsOpened = 0;
    std::map<std::string, std::uint32_t> sharedCounts;  // upper-cased path
    std::array<FakeKey, kRootCount> roots;
    bool restartDeletionWorks = true;
    std::vector<std::string> deletedAtRestart;
    std::optional<std::string> wininit;

    // ---- the user
    std::deque<bool> yesNoAnswers;
    std::deque<SharedFileAnswer> sharedAnswers;
    std::vector<std::string> shown;  // every text put before the user, in order
    std::vector<Phase> phases;
    std::string result, details;

    // ---- building the machine
    void addFile(const std::string& path, FileStamp stamp = {}, bool readOnly = false);
    bool hasFile(const std::string& path) const { return files.count(upperCased(path)) > 0; }
    FakeKey& key(RegistryRoot root, const std::string& path);  // made when missing
    const FakeKey* findKey(RegistryRoot root, const std::string& path) const;

    // ---- UninstallHost
    bool readOwnFile(std::string& bytes) override;
    std::string ownPath() override { return "C:\\WINDOWS\\App Uninstaller.exe"; }
    bool takeMutex(const std::string& name) override { return mutexes.insert(name).second; }
    bool isNtFamily() override { return ntFamily; }
    std::optional<std::uint32_t> runAndWait(const std::string& program) override;
    RemoveResult deleteFile(const std::string& path) override;
    RemoveResult removeDirectory(const std::string& path) override;
    void setCurrentDirectory(const std::string& path) override { currentDirectory = path; }
    std::optional<FileStamp> stamp(const std::string& path) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    bool openSharedCounts() override;
    std::optional<std::uint32_t> sharedCount(const std::string& path) override;
    void setSharedCount(const std::string& path, std::uint32_t count) override;
    void deleteSharedCount(const std::string& path) override;
    void closeSharedCounts() override {}
    KeyHandle rootKey(RegistryRoot root) override;
    KeyOpen openKey(KeyHandle parent, const std::string& name, bool writable,
                    KeyHandle& key) override;
    void closeKey(KeyHandle key) override { open_.erase(key); }
    void deleteValue(KeyHandle key, const std::string& name) override;
    bool hasSubkey(KeyHandle key) override;
    bool deleteKey(KeyHandle parent, const std::string& name) override;
    bool deleteAtRestart(const std::string& path) override;
    std::string shortPath(const std::string&) override { return "C:\\WINDOWS\\APPUNI~1.EXE"; }
    std::optional<std::string> readWininit() override { return wininit; }
    void writeWininit(const std::string& text) override { wininit = text; }
    void showError(const std::string& text) override { shown.push_back(text); }
    bool askYesNo(const std::string& text) override;
    SharedFileAnswer askSharedFile(const std::string& text) override;
    void showProgress(const std::string& text) override { shown.push_back(text); }
    void showPhase(Phase phase) override { phases.push_back(phase); }
    void showResult(const std::string& resultText, const std::string& detailsText) override;

    // Keys opened and not closed again (the roots are always open).
    int openKeys() const {
        int n = 0;
        for (const auto& [handle, key] : open_)
            n += handle >= 100;
        return n;
    }

private:
    struct OpenKey {
        FakeKey* key;
        bool writable;
    };
    std::map<KeyHandle, OpenKey> open_;
    KeyHandle next_ = 100;
};

}  // namespace testing_support

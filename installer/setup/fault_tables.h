// The test build's failures (fault_plan.h) laid over an installation's tables:
// each decorator answers as the system would refuse, and passes every other call
// to the table beneath. Only vxsetup_faults links them (fault_seam_test.cpp).
#pragma once

#include <set>
#include <string>
#include <vector>

#include "installer/setup/actions/install_host.h"
#include "installer/setup/fault_plan.h"

namespace vortix {

// Directories that refuse new files, files that cannot be written, and files in
// use the way a loaded program is (renamed, never deleted or replaced).
class FaultyFiles final : public InstallFiles {
public:
    FaultyFiles(InstallFiles& inner, const FaultPlan& plan) : inner_(inner), plan_(plan) {}

    std::uint32_t tickCount() override { return inner_.tickCount(); }
    std::uint64_t ownLastWriteTime() override { return inner_.ownLastWriteTime(); }
    bool fileExists(const std::string& path) override { return inner_.fileExists(path); }
    bool directoryExists(const std::string& path) override { return inner_.directoryExists(path); }
    CreateResult createDirectory(const std::string& path) override;
    CreateResult createNewFile(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    std::optional<std::uint32_t> attributes(const std::string& path) override {
        return inner_.attributes(path);
    }
    bool setAttributes(const std::string& path, std::uint32_t attributes) override {
        return inner_.setAttributes(path, attributes);
    }
    bool setTimes(const std::string& path, std::optional<std::uint64_t> created,
                  std::optional<std::uint64_t> lastWritten) override {
        return inner_.setTimes(path, created, lastWritten);
    }
    std::optional<std::uint64_t> lastWriteTime(const std::string& path) override {
        return inner_.lastWriteTime(path);
    }
    VersionInfo versionInfo(const std::string& path) override { return inner_.versionInfo(path); }
    std::string languageName(std::uint32_t language) override {
        return inner_.languageName(language);
    }
    bool copyFile(const std::string& from, const std::string& to) override;
    bool moveFile(const std::string& from, const std::string& to) override;
    bool moveOver(const std::string& from, const std::string& to) override;
    UseTest openExclusive(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path) override {
        return inner_.readFile(path);
    }
    bool writeFile(const std::string& path, const std::string& bytes) override;
    std::string newReplacementFile() override { return inner_.newReplacementFile(); }
    bool externalFileExists(std::size_t fileIndex, const PackagedFile& file) override {
        return inner_.externalFileExists(fileIndex, file);
    }
    bool writeFileData(std::size_t fileIndex, const PackagedFile& file,
                       const std::string& path) override;
    bool placeFileData(std::size_t fileIndex, const PackagedFile& file, const std::string& beside,
                       const std::string& target, const NewFileMarks& stamp) override;

private:
    bool inUse(const std::string& path) const;

    InstallFiles& inner_;
    const FaultPlan& plan_;
    std::set<std::string> movedAway_;  // upper-cased paths of files in use, renamed since
};

// Profiles and shortcuts that cannot be written.
class FaultyShell final : public InstallShell {
public:
    FaultyShell(InstallShell& inner, const FaultPlan& plan) : inner_(inner), plan_(plan) {}

    bool writeProfileString(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) override;
    void flushProfiles() override { inner_.flushProfiles(); }
    bool createShortcut(const ShortcutSpec& shortcut) override;
    void openFolder(const std::string& path) override { inner_.openFolder(path); }
    ServerRegistration registerServer(const std::string& path) override {
        return inner_.registerServer(path);
    }

private:
    InstallShell& inner_;
    const FaultPlan& plan_;
};

// Keys that cannot be created and values that cannot be set, known by their
// paths ("HKEY_CURRENT_USER\Software\X", a value as "KEY\\NAME").
class FaultyRegistry final : public Registry {
public:
    FaultyRegistry(Registry& inner, const FaultPlan& plan) : inner_(inner), plan_(plan) {}

    KeyHandle rootKey(RegistryRoot root) override { return inner_.rootKey(root); }
    KeyCreate createKey(KeyHandle parent, const std::string& path, KeyAccess access,
                        KeyHandle& key) override;
    KeyOpen openKey(KeyHandle parent, const std::string& path, KeyAccess access,
                    KeyHandle& key) override;
    void closeKey(KeyHandle key) override;
    std::optional<RegistryValue> value(KeyHandle key, const std::string& name) override {
        return inner_.value(key, name);
    }
    bool setValue(KeyHandle key, const std::string& name, RegistryValueType type,
                  const std::string& data) override;
    bool deleteValue(KeyHandle key, const std::string& name) override {
        return inner_.deleteValue(key, name);
    }
    bool hasSubkey(KeyHandle key) override { return inner_.hasSubkey(key); }
    bool deleteKey(KeyHandle parent, const std::string& name) override {
        return inner_.deleteKey(parent, name);
    }

private:
    std::string keyPath(KeyHandle key);

    Registry& inner_;
    const FaultPlan& plan_;
    // Key handles handed out, with the path the plan knows them by.
    struct OpenKey {
        KeyHandle key;
        std::string path;
    };
    std::vector<OpenKey> keys_;
};

}  // namespace vortix

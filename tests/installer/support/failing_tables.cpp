#include "tests/installer/support/failing_tables.h"

namespace testing_support {

bool FailingTables::fails() {
    if (++calls != failAt)
        return false;
    failed = true;
    return true;
}

class FailingTables::Files final : public InstallFiles {
public:
    Files(FailingTables& t, InstallFiles& inner) : t_(t), in_(inner) {}

    std::uint32_t tickCount() override { return in_.tickCount(); }
    std::uint64_t ownLastWriteTime() override { return in_.ownLastWriteTime(); }
    bool fileExists(const std::string& path) override { return in_.fileExists(path); }
    bool directoryExists(const std::string& path) override { return in_.directoryExists(path); }
    CreateResult createDirectory(const std::string& path) override {
        return t_.fails() ? CreateResult::Failed : in_.createDirectory(path);
    }
    CreateResult createNewFile(const std::string& path) override {
        return t_.fails() ? CreateResult::Failed : in_.createNewFile(path);
    }
    bool deleteFile(const std::string& path) override {
        return !t_.fails() && in_.deleteFile(path);
    }
    std::optional<std::uint32_t> attributes(const std::string& path) override {
        return in_.attributes(path);
    }
    bool setAttributes(const std::string& path, std::uint32_t attributes) override {
        return !t_.fails() && in_.setAttributes(path, attributes);
    }
    bool setTimes(const std::string& path, std::optional<std::uint64_t> created,
                  std::optional<std::uint64_t> lastWritten) override {
        return !t_.fails() && in_.setTimes(path, created, lastWritten);
    }
    std::optional<std::uint64_t> lastWriteTime(const std::string& path) override {
        return in_.lastWriteTime(path);
    }
    VersionInfo versionInfo(const std::string& path) override { return in_.versionInfo(path); }
    std::string languageName(std::uint32_t language) override { return in_.languageName(language); }
    bool copyFile(const std::string& from, const std::string& to) override {
        return !t_.fails() && in_.copyFile(from, to);
    }
    bool moveFile(const std::string& from, const std::string& to) override {
        return !t_.fails() && in_.moveFile(from, to);
    }
    bool moveOver(const std::string& from, const std::string& to) override {
        return !t_.fails() && in_.moveOver(from, to);
    }
    UseTest openExclusive(const std::string& path) override {
        return t_.fails() ? UseTest::Failed : in_.openExclusive(path);
    }
    std::optional<std::string> readFile(const std::string& path) override {
        return t_.fails() ? std::nullopt : in_.readFile(path);
    }
    bool writeFile(const std::string& path, const std::string& bytes) override {
        return !t_.fails() && in_.writeFile(path, bytes);
    }
    std::string newReplacementFile() override { return in_.newReplacementFile(); }
    bool externalFileExists(std::size_t index, const PackagedFile& file) override {
        return in_.externalFileExists(index, file);
    }
    bool writeFileData(std::size_t index, const PackagedFile& file,
                       const std::string& path) override {
        return !t_.fails() && in_.writeFileData(index, file, path);
    }

private:
    FailingTables& t_;
    InstallFiles& in_;
};

class FailingTables::Registry final : public vortix::Registry {
public:
    Registry(FailingTables& t, vortix::Registry& inner) : t_(t), in_(inner) {}

    KeyHandle rootKey(RegistryRoot root) override { return in_.rootKey(root); }
    KeyCreate createKey(KeyHandle parent, const std::string& path, KeyAccess access,
                        KeyHandle& key) override {
        return t_.fails() ? KeyCreate::Failed : in_.createKey(parent, path, access, key);
    }
    KeyOpen openKey(KeyHandle parent, const std::string& path, KeyAccess access,
                    KeyHandle& key) override {
        return t_.fails() ? KeyOpen::Missing : in_.openKey(parent, path, access, key);
    }
    void closeKey(KeyHandle key) override { in_.closeKey(key); }
    std::optional<RegistryValue> value(KeyHandle key, const std::string& name) override {
        return t_.fails() ? std::nullopt : in_.value(key, name);
    }
    bool setValue(KeyHandle key, const std::string& name, RegistryValueType type,
                  const std::string& data) override {
        return !t_.fails() && in_.setValue(key, name, type, data);
    }
    bool deleteValue(KeyHandle key, const std::string& name) override {
        return !t_.fails() && in_.deleteValue(key, name);
    }
    bool hasSubkey(KeyHandle key) override { return in_.hasSubkey(key); }
    bool deleteKey(KeyHandle parent, const std::string& name) override {
        return !t_.fails() && in_.deleteKey(parent, name);
    }

private:
    FailingTables& t_;
    vortix::Registry& in_;
};

class FailingTables::Shell final : public InstallShell {
public:
    Shell(FailingTables& t, InstallShell& inner) : t_(t), in_(inner) {}

    bool writeProfileString(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) override {
        return !t_.fails() && in_.writeProfileString(file, section, key, value);
    }
    void flushProfiles() override { in_.flushProfiles(); }
    bool createShortcut(const ShortcutSpec& shortcut) override {
        return !t_.fails() && in_.createShortcut(shortcut);
    }
    void openFolder(const std::string& path) override { in_.openFolder(path); }
    ServerRegistration registerServer(const std::string& path) override {
        return t_.fails() ? ServerRegistration::Failed : in_.registerServer(path);
    }

private:
    FailingTables& t_;
    InstallShell& in_;
};

FailingTables::FailingTables(InstallHost& inner)
    : inner_(inner),
      files_(std::make_unique<Files>(*this, inner.files)),
      registry_(std::make_unique<Registry>(*this, inner.registry)),
      shell_(std::make_unique<Shell>(*this, inner.shell)),
      host_{*files_, *registry_, *shell_, inner.converters, inner.restart, inner.view} {}

FailingTables::~FailingTables() = default;

}  // namespace testing_support

#include "tests/installer/support/fake_machine.h"

#include <new>
#include <stdexcept>

#include "installer/common/shared_counts.h"
#include "installer/uninstall/uninstall_run.h"

namespace testing_support {
namespace {

std::string parentOf(const std::string& upperPath) {
    std::size_t slash = upperPath.rfind('\\');
    return slash == std::string::npos ? std::string() : upperPath.substr(0, slash);
}

bool isDriveRoot(const std::string& path) {
    return (path.size() == 2 || path.size() == 3) && path[1] == ':';
}

template <typename Answer>
Answer nextAnswer(std::deque<Answer>& answers, const std::string& question) {
    if (answers.empty())
        throw std::logic_error("unexpected question: " + question);
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace

std::string FakeExpander::expand(std::string_view text) {
    std::string out(text);
    for (const auto& [name, value] : variables)
        for (std::size_t at = out.find(name); at != std::string::npos;
             at = out.find(name, at + value.size()))
            out.replace(at, name.size(), value);
    return out;
}

// ---------------------------------------------------------------- the setup program's tables

class FakeMachine::Files final : public InstallFiles {
public:
    explicit Files(FakeMachine& m) : m_(m) {}

    std::uint32_t tickCount() override { return m_.ticks; }
    std::uint64_t ownLastWriteTime() override { return m_.ownTime; }
    bool fileExists(const std::string& path) override { return m_.hasFile(path); }
    bool directoryExists(const std::string& path) override { return m_.directoryExists(path); }

    CreateResult createDirectory(const std::string& path) override {
        std::string upper = upperCased(path);
        if (m_.directoryExists(path))
            return CreateResult::Exists;
        if (m_.deniedDirectories.count(upper))
            return CreateResult::AccessDenied;
        if (!m_.directoryExists(parentOf(upper)))
            return CreateResult::Failed;
        m_.directories.insert(upper);
        return CreateResult::Created;
    }

    CreateResult createNewFile(const std::string& path) override {
        ++m_.newFileCalls;
        std::string upper = upperCased(path);
        if (m_.unwritableDirectories.count(parentOf(upper)))
            return CreateResult::AccessDenied;
        if (m_.files.count(upper))
            return CreateResult::Exists;
        if (!m_.directoryExists(parentOf(upper)))
            return CreateResult::Failed;
        m_.files[upper];
        return CreateResult::Created;
    }

    bool deleteFile(const std::string& path) override {
        auto it = m_.files.find(upperCased(path));
        if (it == m_.files.end() || it->second.inUse ||
            (it->second.attributes & kAttributeReadOnly))
            return false;
        m_.files.erase(it);
        return true;
    }

    std::optional<std::uint32_t> attributes(const std::string& path) override {
        auto it = m_.files.find(upperCased(path));
        if (it == m_.files.end())
            return std::nullopt;
        return it->second.attributes;
    }

    bool setAttributes(const std::string& path, std::uint32_t value) override {
        auto it = m_.files.find(upperCased(path));
        if (it == m_.files.end())
            return false;
        it->second.attributes = value;
        return true;
    }

    bool setTimes(const std::string& path, std::optional<std::uint64_t> created,
                  std::optional<std::uint64_t> lastWritten) override {
        auto it = m_.files.find(upperCased(path));
        if (it == m_.files.end())
            return false;
        if (created)
            it->second.created = *created;
        if (lastWritten)
            it->second.lastWritten = *lastWritten;
        return true;
    }

    std::optional<std::uint64_t> lastWriteTime(const std::string& path) override {
        auto it = m_.files.find(upperCased(path));
        if (it == m_.files.end())
            return std::nullopt;
        return it->second.lastWritten;
    }

    VersionInfo versionInfo(const std::string& path) override {
        auto it = m_.files.find(upperCased(path));
        return it == m_.files.end() ? VersionInfo() : it->second.version;
    }

    std::string languageName(std::uint32_t language) override {
        switch (language) {
            case 0x409: return "English (United States)";
            case 0x407: return "German (Germany)";
            default: return "Language " + std::to_string(language);
        }
    }

    bool copyFile(const std::string& from, const std::string& to) override {
        return m_.copyFile(from, to);
    }

    bool moveFile(const std::string& from, const std::string& to) override {
        auto it = m_.files.find(upperCased(from));
        if (it == m_.files.end() || m_.files.count(upperCased(to)))
            return false;
        // An open file can be renamed on the NT family; it stays open under its new name.
        m_.files[upperCased(to)] = it->second;
        m_.files.erase(upperCased(from));
        return true;
    }

    bool moveOver(const std::string& from, const std::string& to) override {
        auto it = m_.files.find(upperCased(from));
        if (it == m_.files.end() || !m_.directoryExists(parentOf(upperCased(to))))
            return false;
        auto target = m_.files.find(upperCased(to));
        if (target != m_.files.end() &&
            (target->second.inUse || (target->second.attributes & kAttributeReadOnly)))
            return false;
        FakeFile moved = it->second;
        m_.files.erase(it);
        m_.files[upperCased(to)] = moved;
        ++m_.movesOver;
        return true;
    }

    UseTest openExclusive(const std::string& path) override {
        auto it = m_.files.find(upperCased(path));
        if (it == m_.files.end())
            return UseTest::Failed;
        return it->second.inUse ? UseTest::InUse : UseTest::Free;
    }

    std::optional<std::string> readFile(const std::string& path) override {
        auto it = m_.files.find(upperCased(path));
        if (it == m_.files.end() || it->second.inUse || it->second.unreadable)
            return std::nullopt;
        return it->second.content;
    }

    bool writeFile(const std::string& path, const std::string& bytes) override {
        return m_.writeFile(path, bytes);
    }

    std::string newReplacementFile() override {
        std::string path = "C:\\TEMP\\vxw" + std::to_string(++m_.replacementFiles) + ".tmp";
        m_.directories.insert("C:\\TEMP");
        m_.files[upperCased(path)];
        return path;
    }

    bool externalFileExists(std::size_t index, const PackagedFile&) override {
        return !m_.missingExternal.count(index);
    }

    bool writeFileData(std::size_t index, const PackagedFile&, const std::string& path) override {
        if (m_.failingData.count(index) || m_.exhaustingData.count(index)) {
            m_.files[upperCased(path)].content = "cut off";  // part of the data made it
            if (m_.exhaustingData.count(index))
                throw std::bad_alloc();
            return false;
        }
        auto it = m_.packageData.find(index);
        return m_.writeFile(
            path, it == m_.packageData.end() ? "data" + std::to_string(index) : it->second);
    }

private:
    FakeMachine& m_;
};

class FakeMachine::Shell final : public InstallShell {
public:
    explicit Shell(FakeMachine& m) : m_(m) {}

    bool writeProfileString(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) override {
        if (m_.profileFails)
            return false;
        m_.profiles[file + "/" + section][key] = value;
        return true;
    }
    void flushProfiles() override { ++m_.profileFlushes; }

    bool createShortcut(const ShortcutSpec& shortcut) override {
        if (m_.shortcutFails || !m_.directoryExists(parentOf(upperCased(shortcut.file))))
            return false;
        m_.shortcuts.push_back(shortcut);
        m_.files[upperCased(shortcut.file)].content = "LNK:" + shortcut.target;
        return true;
    }
    void openFolder(const std::string& path) override { m_.foldersOpened.push_back(path); }

    ServerRegistration registerServer(const std::string& path) override {
        m_.registered.push_back(path);
        auto it = m_.registration.find(upperCased(path));
        return it == m_.registration.end() ? ServerRegistration::Registered : it->second;
    }

private:
    FakeMachine& m_;
};

class FakeMachine::Converters final : public InstallConverters {
public:
    explicit Converters(FakeMachine& m) : m_(m) {}

    bool mp3Init() override {
        m_.mp3Calls.push_back("init");
        return m_.mp3InitWorks;
    }
    bool mp3SetOutput(const std::string& wavPath) override {
        m_.mp3Calls.push_back("output " + wavPath);
        output_ = wavPath;
        return true;
    }
    bool mp3Open(const std::string& mp3Path) override {
        m_.mp3Calls.push_back("open " + mp3Path);
        return m_.hasFile(mp3Path);
    }
    void mp3PlayToEnd() override {
        m_.mp3Calls.push_back("play");
        m_.files[upperCased(output_)].content = "WAV";
    }
    void mp3Stop() override { m_.mp3Calls.push_back("stop"); }
    bool convertJpeg(const std::string& jpgPath, const std::string& bmpPath) override {
        if (!m_.jpegWorks || !m_.hasFile(jpgPath))
            return false;
        m_.files[upperCased(bmpPath)].content = "BMP";
        return true;
    }

private:
    FakeMachine& m_;
    std::string output_;
};

class FakeMachine::InstallUser final : public InstallView {
public:
    explicit InstallUser(FakeMachine& m) : m_(m) {}

    void showMessage(const std::string& text, MessageIcon) override { m_.messages.push_back(text); }
    bool askYesNo(const std::string& text) override {
        m_.questions.push_back(text);
        return nextAnswer(m_.yesNoAnswers, text);
    }
    bool askRetryCancel(const std::string& text) override {
        m_.questions.push_back(text);
        return nextAnswer(m_.retryAnswers, text);
    }
    void setStatus(const std::string& text) override { m_.statusLines.push_back(text); }
    void setProgress(int percent) override { m_.progress.push_back(percent); }

private:
    FakeMachine& m_;
};

// ---------------------------------------------------------------- the restart queue

class FakeMachine::Restart final : public RestartSystem {
public:
    explicit Restart(FakeMachine& m) : m_(m) {}

    bool isNtFamily() override { return m_.ntFamily; }
    bool deleteAtRestart(const std::string& path) override {
        if (!m_.restartDeletionWorks)
            return false;
        m_.deletedAtRestart.push_back(path);
        std::vector<std::string> pending = m_.pendingRenames().value_or(std::vector<std::string>());
        pending.insert(pending.end(), {"\\??\\" + path, ""});
        m_.setPendingRenames(pending);
        return true;
    }
    bool replaceAtRestart(const std::string& from, const std::string& to) override {
        if (!m_.restartReplaceWorks)
            return false;
        m_.replacedAtRestart.emplace_back(from, to);
        return true;
    }
    std::string shortPath(const std::string& path) override {
        auto it = m_.shortPaths.find(path);
        return it == m_.shortPaths.end() ? "SHORT:" + path : it->second;
    }
    std::optional<std::string> readWininit() override { return m_.wininit; }
    bool writeWininit(const std::string& text) override {
        m_.wininit = text;
        return true;
    }

private:
    FakeMachine& m_;
};

// ---------------------------------------------------------------- the uninstaller's tables

class FakeMachine::Program final : public UninstallProgram {
public:
    explicit Program(FakeMachine& m) : m_(m) {}

    bool readOwnFile(std::string& bytes) override {
        if (!m_.ownFileReadable)
            return false;
        bytes = m_.ownFile;
        return true;
    }
    std::string ownPath() override { return m_.ownPath; }
    bool takeMutex(const std::string& name) override { return m_.mutexes.insert(name).second; }
    std::optional<std::uint32_t> runAndWait(const std::string& program, bool silentRun) override {
        m_.programsRun.push_back(program);
        m_.programsRunSilently.push_back(silentRun);
        return m_.preUninstallExit;
    }

private:
    FakeMachine& m_;
};

class FakeMachine::RemovalFiles final : public UninstallFiles {
public:
    explicit RemovalFiles(FakeMachine& m) : m_(m) {}

    RemoveResult deleteFile(const std::string& path) override {
        auto it = m_.files.find(upperCased(path));
        if (it == m_.files.end())
            return RemoveResult::NotFound;
        it->second.attributes &= ~kAttributeReadOnly;  // cleared first
        if (it->second.inUse)
            return RemoveResult::Failed;
        m_.files.erase(it);
        return RemoveResult::Removed;
    }

    RemoveResult removeDirectory(const std::string& path) override {
        std::string upper = upperCased(path);
        if (!m_.directories.count(upper))
            return RemoveResult::NotFound;
        std::string prefix = upper + "\\";
        for (const auto& [name, file] : m_.files)
            if (name.compare(0, prefix.size(), prefix) == 0)
                return RemoveResult::Failed;
        for (const std::string& dir : m_.directories)
            if (dir.compare(0, prefix.size(), prefix) == 0)
                return RemoveResult::Failed;
        m_.directories.erase(upper);
        return RemoveResult::Removed;
    }

    void setCurrentDirectory(const std::string& path) override { m_.currentDirectory = path; }

    std::optional<FileStamp> stamp(const std::string& path) override {
        auto it = m_.files.find(upperCased(path));
        if (it == m_.files.end())
            return std::nullopt;
        const FakeFile& file = it->second;
        return FileStamp{static_cast<std::uint32_t>(file.lastWritten >> 32),
                         static_cast<std::uint32_t>(file.lastWritten), file.version.versionHigh,
                         file.version.versionLow};
    }

    bool copyFile(const std::string& from, const std::string& to) override {
        return m_.copyFile(from, to);
    }

private:
    FakeMachine& m_;
};

class FakeMachine::RemovalUser final : public UninstallView {
public:
    explicit RemovalUser(FakeMachine& m) : m_(m) {}

    void showError(const std::string& text) override { m_.shown.push_back(text); }
    bool askYesNo(const std::string& text) override {
        m_.shown.push_back(text);
        return nextAnswer(m_.yesNoAnswers, text);
    }
    SharedFileAnswer askSharedFile(const std::string& text) override {
        m_.shown.push_back(text);
        return nextAnswer(m_.sharedAnswers, text);
    }
    void showProgress(const std::string& text) override { m_.shown.push_back(text); }
    void showPhase(Phase phase) override { m_.phases.push_back(phase); }
    void showResult(const std::string& resultText, const std::string& detailsText) override {
        m_.result = resultText;
        m_.details = detailsText;
    }

private:
    FakeMachine& m_;
};

// ---------------------------------------------------------------- the rollback's programs

class FakeMachine::Launcher final : public UninstallerLauncher {
public:
    explicit Launcher(FakeMachine& m) : m_(m) {}

    void runAndWait(const std::string& program) override {
        m_.uninstallersRun.push_back(program);
        auto it = m_.files.find(upperCased(program));
        if (it == m_.files.end())
            return;
        // The uninstaller reads its own file; its mutex goes when it ends.
        std::string ownPath = m_.ownPath, ownFile = m_.ownFile;
        std::set<std::string> mutexes = m_.mutexes;
        m_.ownPath = program;
        m_.ownFile = it->second.content;
        runUninstall(m_.uninstall, parseCommandLine("\"" + program + "\" /SILENT /NOREMOVE"));
        m_.ownPath = ownPath;
        m_.ownFile = ownFile;
        m_.mutexes = mutexes;
    }

private:
    FakeMachine& m_;
};

class FakeMachine::Programs final : public ProgramFiles {
public:
    explicit Programs(FakeMachine& m) : m_(m) {}

    std::optional<std::string> read(const std::string& path) override {
        auto it = m_.files.find(upperCased(path));
        if (it == m_.files.end() || it->second.unreadable)
            return std::nullopt;
        return it->second.content;
    }
    bool write(const std::string& path, const std::string& bytes) override {
        return m_.writeFile(path, bytes);
    }
    void makePlain(const std::string& path) override {
        auto it = m_.files.find(upperCased(path));
        if (it != m_.files.end())
            it->second.attributes = 0;
    }
    void remove(const std::string& path) override {
        auto it = m_.files.find(upperCased(path));
        if (it != m_.files.end() && !it->second.inUse &&
            !(it->second.attributes & kAttributeReadOnly))
            m_.files.erase(it);
    }

private:
    FakeMachine& m_;
};

// ---------------------------------------------------------------- the machine

FakeMachine::FakeMachine()
    : files_(std::make_unique<Files>(*this)),
      shell_(std::make_unique<Shell>(*this)),
      converters_(std::make_unique<Converters>(*this)),
      installUser_(std::make_unique<InstallUser>(*this)),
      restart_(std::make_unique<Restart>(*this)),
      program_(std::make_unique<Program>(*this)),
      removalFiles_(std::make_unique<RemovalFiles>(*this)),
      removalUser_(std::make_unique<RemovalUser>(*this)),
      launcher_(std::make_unique<Launcher>(*this)),
      programs_(std::make_unique<Programs>(*this)),
      install{*files_, registry, *shell_, *converters_, *restart_, *installUser_},
      uninstall{*program_, *removalFiles_, registry, *restart_, *removalUser_},
      rollback{install, uninstall, *launcher_, *programs_} {}

FakeMachine::~FakeMachine() = default;

FakeFile& FakeMachine::addFile(const std::string& path, const std::string& content) {
    FakeFile& f = files[upperCased(path)];
    f.content = content;
    for (std::string dir = parentOf(upperCased(path)); !dir.empty() && !isDriveRoot(dir);
         dir = parentOf(dir))
        directories.insert(dir);
    return f;
}

FakeFile& FakeMachine::addStampedFile(const std::string& path, FileStamp stamp, bool readOnly) {
    FakeFile& f = addFile(path, std::string());
    f.lastWritten = (static_cast<std::uint64_t>(stamp.timeHigh) << 32) | stamp.timeLow;
    f.version.versionHigh = stamp.versionHigh;
    f.version.versionLow = stamp.versionLow;
    f.attributes = readOnly ? kAttributeReadOnly : 0;
    return f;
}

std::optional<std::uint32_t> FakeMachine::sharedCount(const std::string& path) const {
    const FakeRegistryKey* key = registry.findKey(RegistryRoot::LocalMachine, kSharedDllsKey);
    if (!key)
        return std::nullopt;
    auto it = key->values.find(upperCased(path));
    if (it == key->values.end() || it->second.first != RegistryValueType::Dword ||
        it->second.second.size() != 4)
        return std::nullopt;
    const std::string& bytes = it->second.second;
    std::uint32_t count = 0;
    for (int i = 3; i >= 0; --i)
        count = (count << 8) | static_cast<unsigned char>(bytes[i]);
    return count;
}

void FakeMachine::setSharedCount(const std::string& path, std::uint32_t count) {
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>((count >> (8 * i)) & 0xFF));
    registry.key(RegistryRoot::LocalMachine, kSharedDllsKey).values[upperCased(path)] = {
        RegistryValueType::Dword, bytes};
}

void FakeMachine::lockSharedCounts() {
    registry.key(RegistryRoot::LocalMachine, kSharedDllsKey).denyRead = true;
}

std::optional<std::vector<std::string>> FakeMachine::pendingRenames() {
    return pendingFileRenames(registry);
}

void FakeMachine::setPendingRenames(const std::vector<std::string>& strings) {
    registry.key(RegistryRoot::LocalMachine, kSessionManagerKey);
    setPendingFileRenames(registry, strings);
}

bool FakeMachine::directoryExists(const std::string& path) const {
    return isDriveRoot(path) || directories.count(upperCased(path)) > 0;
}

bool FakeMachine::copyFile(const std::string& from, const std::string& to) {
    auto it = files.find(upperCased(from));
    if (it == files.end() || !directoryExists(parentOf(upperCased(to))))
        return false;
    auto target = files.find(upperCased(to));
    if (target != files.end() &&
        (target->second.inUse || (target->second.attributes & kAttributeReadOnly)))
        return false;
    FakeFile copy = it->second;
    copy.inUse = false;
    files[upperCased(to)] = copy;
    return true;
}

bool FakeMachine::writeFile(const std::string& path, const std::string& bytes) {
    std::string upper = upperCased(path);
    if (failUninstallerWrite && upper == upperCased(uninstallerTarget) && !bytes.empty() &&
        files.count(upper))
        return false;
    if (!directoryExists(parentOf(upper)))
        return false;
    auto it = files.find(upper);
    if (it != files.end() && (it->second.inUse || (it->second.attributes & kAttributeReadOnly)))
        return false;
    files[upper].content = bytes;
    files[upper].lastWritten = now;
    return true;
}

}  // namespace testing_support

#include "tests/installer/setup/actions/fake_install_host.h"

#include <new>
#include <stdexcept>

namespace testing_support {
namespace {

std::string parentOf(const std::string& upperPath) {
    std::size_t slash = upperPath.rfind('\\');
    return slash == std::string::npos ? std::string() : upperPath.substr(0, slash);
}

bool isDriveRoot(const std::string& path) {
    return (path.size() == 2 || path.size() == 3) && path[1] == ':';
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

FakeInstallFile& FakeInstallHost::addFile(const std::string& path, const std::string& content) {
    FakeInstallFile& f = files[upperCased(path)];
    f.content = content;
    for (std::string dir = parentOf(upperCased(path)); !dir.empty() && !isDriveRoot(dir);
         dir = parentOf(dir))
        directories.insert(dir);
    return f;
}

FakeRegistryKey& FakeInstallHost::key(RegistryRoot root, const std::string& path) {
    FakeRegistryKey* node = &roots[static_cast<int>(root)];
    for (std::size_t start = 0; start < path.size();) {
        std::size_t slash = path.find('\\', start);
        std::size_t end = slash == std::string::npos ? path.size() : slash;
        std::unique_ptr<FakeRegistryKey>& child =
            node->subkeys[upperCased(path.substr(start, end - start))];
        if (!child)
            child = std::make_unique<FakeRegistryKey>();
        node = child.get();
        start = end + 1;
    }
    return *node;
}

const FakeRegistryKey* FakeInstallHost::findKey(RegistryRoot root, const std::string& path) const {
    const FakeRegistryKey* node = &roots[static_cast<int>(root)];
    for (std::size_t start = 0; start < path.size();) {
        std::size_t slash = path.find('\\', start);
        std::size_t end = slash == std::string::npos ? path.size() : slash;
        auto it = node->subkeys.find(upperCased(path.substr(start, end - start)));
        if (it == node->subkeys.end())
            return nullptr;
        node = it->second.get();
        start = end + 1;
    }
    return node;
}

bool FakeInstallHost::directoryExists(const std::string& path) {
    return isDriveRoot(path) || directories.count(upperCased(path)) > 0;
}

CreateResult FakeInstallHost::createDirectory(const std::string& path) {
    std::string upper = upperCased(path);
    if (directoryExists(path))
        return CreateResult::Exists;
    if (deniedDirectories.count(upper))
        return CreateResult::AccessDenied;
    if (!directoryExists(parentOf(upper)))
        return CreateResult::Failed;
    directories.insert(upper);
    return CreateResult::Created;
}

CreateResult FakeInstallHost::createNewFile(const std::string& path) {
    ++newFileCalls;
    std::string upper = upperCased(path);
    if (unwritableDirectories.count(parentOf(upper)))
        return CreateResult::AccessDenied;
    if (files.count(upper))
        return CreateResult::Exists;
    if (!directoryExists(parentOf(upper)))
        return CreateResult::Failed;
    files[upper];
    return CreateResult::Created;
}

bool FakeInstallHost::deleteFile(const std::string& path) {
    auto it = files.find(upperCased(path));
    if (it == files.end() || it->second.inUse || (it->second.attributes & kAttributeReadOnly))
        return false;
    files.erase(it);
    return true;
}

std::optional<std::uint32_t> FakeInstallHost::attributes(const std::string& path) {
    auto it = files.find(upperCased(path));
    if (it == files.end())
        return std::nullopt;
    return it->second.attributes;
}

bool FakeInstallHost::setAttributes(const std::string& path, std::uint32_t value) {
    auto it = files.find(upperCased(path));
    if (it == files.end())
        return false;
    it->second.attributes = value;
    return true;
}

bool FakeInstallHost::setTimes(const std::string& path, std::optional<std::uint64_t> created,
                               std::optional<std::uint64_t> lastWritten) {
    auto it = files.find(upperCased(path));
    if (it == files.end())
        return false;
    if (created)
        it->second.created = *created;
    if (lastWritten)
        it->second.lastWritten = *lastWritten;
    return true;
}

std::optional<std::uint64_t> FakeInstallHost::lastWriteTime(const std::string& path) {
    auto it = files.find(upperCased(path));
    if (it == files.end())
        return std::nullopt;
    return it->second.lastWritten;
}

VersionInfo FakeInstallHost::versionInfo(const std::string& path) {
    auto it = files.find(upperCased(path));
    return it == files.end() ? VersionInfo() : it->second.version;
}

std::string FakeInstallHost::languageName(std::uint32_t language) {
    switch (language) {
        case 0x409: return "English (United States)";
        case 0x407: return "German (Germany)";
        default: return "Language " + std::to_string(language);
    }
}

bool FakeInstallHost::copyFile(const std::string& from, const std::string& to) {
    auto it = files.find(upperCased(from));
    if (it == files.end() || !directoryExists(parentOf(upperCased(to))))
        return false;
    auto target = files.find(upperCased(to));
    if (target != files.end() &&
        (target->second.inUse || (target->second.attributes & kAttributeReadOnly)))
        return false;
    FakeInstallFile copy = it->second;
    copy.inUse = false;
    files[upperCased(to)] = copy;
    return true;
}

bool FakeInstallHost::moveFile(const std::string& from, const std::string& to) {
    auto it = files.find(upperCased(from));
    if (it == files.end() || files.count(upperCased(to)))
        return false;
    // An open file can be renamed on the NT family; it stays open under its new name.
    files[upperCased(to)] = it->second;
    files.erase(upperCased(from));
    return true;
}

bool FakeInstallHost::moveOver(const std::string& from, const std::string& to) {
    auto it = files.find(upperCased(from));
    if (it == files.end() || !directoryExists(parentOf(upperCased(to))))
        return false;
    auto target = files.find(upperCased(to));
    if (target != files.end() &&
        (target->second.inUse || (target->second.attributes & kAttributeReadOnly)))
        return false;
    FakeInstallFile moved = it->second;
    files.erase(it);
    files[upperCased(to)] = moved;
    return true;
}

UseTest FakeInstallHost::openExclusive(const std::string& path) {
    auto it = files.find(upperCased(path));
    if (it == files.end())
        return UseTest::Failed;
    return it->second.inUse ? UseTest::InUse : UseTest::Free;
}

std::optional<std::string> FakeInstallHost::readFile(const std::string& path) {
    auto it = files.find(upperCased(path));
    if (it == files.end() || it->second.inUse || it->second.unreadable)
        return std::nullopt;
    return it->second.content;
}

bool FakeInstallHost::writeFile(const std::string& path, const std::string& bytes) {
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

std::string FakeInstallHost::newReplacementFile() {
    std::string path = "C:\\TEMP\\vxw" + std::to_string(++replacementFiles) + ".tmp";
    directories.insert("C:\\TEMP");
    files[upperCased(path)];
    return path;
}

bool FakeInstallHost::writeFileData(std::size_t index, const PackagedFile&,
                                    const std::string& path) {
    if (failingData.count(index) || exhaustingData.count(index)) {
        files[upperCased(path)].content = "cut off";  // part of the data made it
        if (exhaustingData.count(index))
            throw std::bad_alloc();
        return false;
    }
    auto it = packageData.find(index);
    return writeFile(path, it == packageData.end() ? "data" + std::to_string(index) : it->second);
}

std::optional<std::uint32_t> FakeInstallHost::sharedCount(const std::string& path) {
    auto it = sharedCounts.find(upperCased(path));
    if (it == sharedCounts.end())
        return std::nullopt;
    return it->second;
}

bool FakeInstallHost::setSharedCount(const std::string& path, std::uint32_t count) {
    sharedCounts[upperCased(path)] = count;
    return true;
}

KeyHandle FakeInstallHost::rootKey(RegistryRoot root) {
    KeyHandle handle = 1 + static_cast<KeyHandle>(root);
    open_[handle] = {&roots[static_cast<int>(root)], true};
    return handle;
}

KeyCreate FakeInstallHost::createKey(KeyHandle parent, const std::string& name, KeyAccess access,
                                     KeyHandle& key) {
    FakeRegistryKey* node = open_.at(parent).key;
    std::unique_ptr<FakeRegistryKey>& child = node->subkeys[upperCased(name)];
    bool created = !child;
    if (created) {
        if (node->denyCreate) {
            node->subkeys.erase(upperCased(name));
            return KeyCreate::AccessDenied;
        }
        child = std::make_unique<FakeRegistryKey>();
    }
    if (child->readOnly && access != KeyAccess::Read)
        return KeyCreate::AccessDenied;
    key = next_++;
    open_[key] = {child.get(), access != KeyAccess::Read};
    return created ? KeyCreate::Created : KeyCreate::Opened;
}

bool FakeInstallHost::setValue(KeyHandle key, const std::string& name, RegistryValueType type,
                               const std::string& data) {
    OpenKey& open = open_.at(key);
    if (!open.writable)
        return false;
    open.key->values[upperCased(name)] = {type, data};
    return true;
}

bool FakeInstallHost::writeProfileString(const std::string& file, const std::string& section,
                                         const std::string& key, const std::string& value) {
    if (profileFails)
        return false;
    profiles[file + "/" + section][key] = value;
    return true;
}

bool FakeInstallHost::createShortcut(const ShortcutSpec& shortcut) {
    if (shortcutFails || !directoryExists(parentOf(upperCased(shortcut.file))))
        return false;
    shortcuts.push_back(shortcut);
    files[upperCased(shortcut.file)].content = "LNK:" + shortcut.target;
    return true;
}

ServerRegistration FakeInstallHost::registerServer(const std::string& path) {
    registered.push_back(path);
    auto it = registration.find(upperCased(path));
    return it == registration.end() ? ServerRegistration::Registered : it->second;
}

bool FakeInstallHost::mp3Init() {
    mp3Calls.push_back("init");
    return mp3InitWorks;
}

bool FakeInstallHost::mp3SetOutput(const std::string& wavPath) {
    mp3Calls.push_back("output " + wavPath);
    return true;
}

bool FakeInstallHost::mp3Open(const std::string& mp3Path) {
    mp3Calls.push_back("open " + mp3Path);
    return hasFile(mp3Path);
}

bool FakeInstallHost::convertJpeg(const std::string& jpgPath, const std::string& bmpPath) {
    if (!jpegWorks || !hasFile(jpgPath))
        return false;
    files[upperCased(bmpPath)].content = "BMP";
    return true;
}

bool FakeInstallHost::deleteAtRestart(const std::string& path) {
    deletedAtRestart.push_back(path);
    if (!pendingRenames)
        pendingRenames.emplace();
    pendingRenames->insert(pendingRenames->end(), {"\\??\\" + path, ""});
    return true;
}

bool FakeInstallHost::replaceAtRestart(const std::string& from, const std::string& to) {
    if (!restartReplaceWorks)
        return false;
    replacedAtRestart.emplace_back(from, to);
    return true;
}

bool FakeInstallHost::askYesNo(const std::string& text) {
    questions.push_back(text);
    if (yesNoAnswers.empty())
        throw std::logic_error("unexpected question: " + text);
    bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

bool FakeInstallHost::askRetryCancel(const std::string& text) {
    questions.push_back(text);
    if (retryAnswers.empty())
        throw std::logic_error("unexpected question: " + text);
    bool answer = retryAnswers.front();
    retryAnswers.pop_front();
    return answer;
}

int FakeInstallHost::openKeys() const {
    int n = 0;
    for (const auto& [handle, key] : open_)
        n += handle >= 100;
    return n;
}

}  // namespace testing_support

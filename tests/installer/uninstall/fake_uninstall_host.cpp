#include "tests/installer/uninstall/fake_uninstall_host.h"

#include <stdexcept>

namespace testing_support {

FakeUninstallHost::FakeUninstallHost() = default;

void FakeUninstallHost::addFile(const std::string& path, FileStamp fileStamp, bool readOnly) {
    FakeFile& file = files[upperCased(path)];
    file.stamp = fileStamp;
    file.readOnly = readOnly;
}

FakeKey& FakeUninstallHost::key(RegistryRoot root, const std::string& path) {
    FakeKey* node = &roots[static_cast<int>(root)];
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t slash = path.find('\\', start);
        std::string part =
            upperCased(path.substr(start, slash == std::string::npos ? slash : slash - start));
        std::unique_ptr<FakeKey>& child = node->subkeys[part];
        if (!child)
            child = std::make_unique<FakeKey>();
        node = child.get();
        start = slash == std::string::npos ? path.size() : slash + 1;
    }
    return *node;
}

const FakeKey* FakeUninstallHost::findKey(RegistryRoot root, const std::string& path) const {
    const FakeKey* node = &roots[static_cast<int>(root)];
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t slash = path.find('\\', start);
        auto it = node->subkeys.find(
            upperCased(path.substr(start, slash == std::string::npos ? slash : slash - start)));
        if (it == node->subkeys.end())
            return nullptr;
        node = it->second.get();
        start = slash == std::string::npos ? path.size() : slash + 1;
    }
    return node;
}

bool FakeUninstallHost::readOwnFile(std::string& bytes) {
    if (!ownFileReadable)
        return false;
    bytes = ownFile;
    return true;
}

std::optional<std::uint32_t> FakeUninstallHost::runAndWait(const std::string& program) {
    programsRun.push_back(program);
    return preUninstallExit;
}

RemoveResult FakeUninstallHost::deleteFile(const std::string& path) {
    auto it = files.find(upperCased(path));
    if (it == files.end())
        return RemoveResult::NotFound;
    it->second.readOnly = false;  // cleared first
    if (it->second.locked)
        return RemoveResult::Failed;
    files.erase(it);
    return RemoveResult::Removed;
}

RemoveResult FakeUninstallHost::removeDirectory(const std::string& path) {
    std::string upper = upperCased(path);
    if (!directories.count(upper))
        return RemoveResult::NotFound;
    std::string prefix = upper + "\\";
    for (const auto& [name, file] : files)
        if (name.compare(0, prefix.size(), prefix) == 0)
            return RemoveResult::Failed;
    for (const std::string& dir : directories)
        if (dir.compare(0, prefix.size(), prefix) == 0)
            return RemoveResult::Failed;
    directories.erase(upper);
    return RemoveResult::Removed;
}

std::optional<FileStamp> FakeUninstallHost::stamp(const std::string& path) {
    auto it = files.find(upperCased(path));
    if (it == files.end())
        return std::nullopt;
    return it->second.stamp;
}

bool FakeUninstallHost::copyFile(const std::string& from, const std::string& to) {
    auto it = files.find(upperCased(from));
    if (it == files.end())
        return false;
    files[upperCased(to)] = it->second;
    return true;
}

bool FakeUninstallHost::openSharedCounts() {
    ++sharedCountsOpened;
    return sharedCountsKeyExists;
}

std::optional<std::uint32_t> FakeUninstallHost::sharedCount(const std::string& path) {
    auto it = sharedCounts.find(upperCased(path));
    if (it == sharedCounts.end())
        return std::nullopt;
    return it->second;
}

void FakeUninstallHost::setSharedCount(const std::string& path, std::uint32_t count) {
    sharedCounts[upperCased(path)] = count;
}

void FakeUninstallHost::deleteSharedCount(const std::string& path) {
    sharedCounts.erase(upperCased(path));
}

KeyHandle FakeUninstallHost::rootKey(RegistryRoot root) {
    // The roots are always open, as the system's predefined keys are.
    KeyHandle handle = 1 + static_cast<KeyHandle>(root);
    open_[handle] = {&roots[static_cast<int>(root)], true};
    return handle;
}

KeyOpen FakeUninstallHost::openKey(KeyHandle parent, const std::string& name, bool writable,
                                   KeyHandle& key) {
    FakeKey* node = open_.at(parent).key;
    auto it = node->subkeys.find(upperCased(name));
    if (it == node->subkeys.end())
        return KeyOpen::Missing;
    FakeKey* child = it->second.get();
    if (child->denyRead || (writable && child->denyWrite))
        return KeyOpen::AccessDenied;
    key = next_++;
    open_[key] = {child, writable};
    return KeyOpen::Opened;
}

void FakeUninstallHost::deleteValue(KeyHandle key, const std::string& name) {
    OpenKey& open = open_.at(key);
    if (open.writable)
        open.key->values.erase(upperCased(name));
}

bool FakeUninstallHost::hasSubkey(KeyHandle key) {
    return !open_.at(key).key->subkeys.empty();
}

bool FakeUninstallHost::deleteKey(KeyHandle parent, const std::string& name) {
    FakeKey* node = open_.at(parent).key;
    auto it = node->subkeys.find(upperCased(name));
    if (it == node->subkeys.end() || !it->second->subkeys.empty() || it->second->denyWrite)
        return false;
    node->subkeys.erase(it);
    return true;
}

bool FakeUninstallHost::deleteAtRestart(const std::string& path) {
    if (!restartDeletionWorks)
        return false;
    deletedAtRestart.push_back(path);
    return true;
}

bool FakeUninstallHost::askYesNo(const std::string& text) {
    shown.push_back(text);
    if (yesNoAnswers.empty())
        throw std::logic_error("unexpected question: " + text);
    bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

SharedFileAnswer FakeUninstallHost::askSharedFile(const std::string& text) {
    shown.push_back(text);
    if (sharedAnswers.empty())
        throw std::logic_error("unexpected question: " + text);
    SharedFileAnswer answer = sharedAnswers.front();
    sharedAnswers.pop_front();
    return answer;
}

void FakeUninstallHost::showResult(const std::string& resultText, const std::string& detailsText) {
    result = resultText;
    details = detailsText;
}

}  // namespace testing_support

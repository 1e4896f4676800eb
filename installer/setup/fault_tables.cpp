#include "installer/setup/fault_tables.h"

#include "installer/common/text_fold.h"
#include "installer/setup/actions/windows_path.h"

namespace vortix {

CreateResult FaultyFiles::createDirectory(const std::string& path) {
    if (plan_.directoryRefusesWrites(directoryOf(path)))
        return CreateResult::AccessDenied;
    return inner_.createDirectory(path);
}

CreateResult FaultyFiles::createNewFile(const std::string& path) {
    if (plan_.directoryRefusesWrites(directoryOf(path)))
        return CreateResult::AccessDenied;
    return inner_.createNewFile(path);
}

bool FaultyFiles::inUse(const std::string& path) const {
    // The file in use is known by its path only until it is renamed: the file that
    // then takes its place is a new one.
    return plan_.fileInUse(path) && !movedAway_.count(upperCased(path));
}

bool FaultyFiles::deleteFile(const std::string& path) {
    if (inUse(path))
        return false;
    return inner_.deleteFile(path);
}

bool FaultyFiles::copyFile(const std::string& from, const std::string& to) {
    if (plan_.fileFails(to))
        return false;
    return inner_.copyFile(from, to);
}

bool FaultyFiles::moveFile(const std::string& from, const std::string& to) {
    if (!inner_.moveFile(from, to))
        return false;
    if (inUse(from))
        movedAway_.insert(upperCased(from));
    return true;
}

bool FaultyFiles::moveOver(const std::string& from, const std::string& to) {
    // A loaded program can be renamed but never replaced.
    if (inUse(to))
        return false;
    return inner_.moveOver(from, to);
}

UseTest FaultyFiles::openExclusive(const std::string& path) {
    if (inUse(path))
        return UseTest::InUse;
    return inner_.openExclusive(path);
}

bool FaultyFiles::writeFile(const std::string& path, const std::string& bytes) {
    if (plan_.fileFails(path) || plan_.directoryRefusesWrites(directoryOf(path)))
        return false;
    return inner_.writeFile(path, bytes);
}

bool FaultyFiles::writeFileData(std::size_t fileIndex, const PackagedFile& file,
                                const std::string& path) {
    if (plan_.fileFails(path))
        return false;
    return inner_.writeFileData(fileIndex, file, path);
}

bool FaultyFiles::placeFileData(std::size_t fileIndex, const PackagedFile& file,
                                const std::string& beside, const std::string& target,
                                const NewFileMarks& stamp) {
    // A failure on the way is made by the single calls the system's shortcut skips.
    if (plan_.fileFails(beside) || plan_.directoryRefusesWrites(directoryOf(beside)) ||
        (!target.empty() && inUse(target)))
        return InstallFiles::placeFileData(fileIndex, file, beside, target, stamp);
    return inner_.placeFileData(fileIndex, file, beside, target, stamp);
}

bool FaultyShell::writeProfileString(const std::string& file, const std::string& section,
                                     const std::string& key, const std::string& value) {
    if (plan_.fileFails(file))
        return false;
    return inner_.writeProfileString(file, section, key, value);
}

bool FaultyShell::createShortcut(const ShortcutSpec& shortcut) {
    if (plan_.fileFails(shortcut.file))
        return false;
    return inner_.createShortcut(shortcut);
}

std::string FaultyRegistry::keyPath(KeyHandle key) {
    for (int r = 0; r < kRootCount; ++r)
        if (key == inner_.rootKey(static_cast<RegistryRoot>(r)))
            return std::string(kRootNames[r]);
    for (const OpenKey& open : keys_)
        if (open.key == key)
            return open.path;
    return {};
}

KeyCreate FaultyRegistry::createKey(KeyHandle parent, const std::string& path, KeyAccess access,
                                    KeyHandle& key) {
    std::string full = keyPath(parent) + "\\" + path;
    if (plan_.keyFails(full))
        return KeyCreate::AccessDenied;
    KeyCreate made = inner_.createKey(parent, path, access, key);
    if (made == KeyCreate::Created || made == KeyCreate::Opened)
        keys_.push_back({key, full});
    return made;
}

KeyOpen FaultyRegistry::openKey(KeyHandle parent, const std::string& path, KeyAccess access,
                                KeyHandle& key) {
    KeyOpen opened = inner_.openKey(parent, path, access, key);
    if (opened == KeyOpen::Opened)
        keys_.push_back({key, keyPath(parent) + "\\" + path});
    return opened;
}

void FaultyRegistry::closeKey(KeyHandle key) {
    for (auto it = keys_.begin(); it != keys_.end(); ++it)
        if (it->key == key) {
            keys_.erase(it);
            break;
        }
    inner_.closeKey(key);
}

bool FaultyRegistry::setValue(KeyHandle key, const std::string& name, RegistryValueType type,
                              const std::string& data) {
    if (plan_.keyFails(keyPath(key) + "\\\\" + name))
        return false;
    return inner_.setValue(key, name, type, data);
}

}  // namespace vortix

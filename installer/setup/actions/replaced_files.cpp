#include "installer/setup/actions/replaced_files.h"

namespace vortix {
namespace {

void deleteCopy(InstallHost& host, const std::string& path) {
    if (std::optional<std::uint32_t> attributes = host.files.attributes(path))
        host.files.setAttributes(path, *attributes & ~kAttributeReadOnly);
    host.files.deleteFile(path);
}

bool isTemporary(KeptAs kind) {
    return kind == KeptAs::TemporaryCopy || kind == KeptAs::CopyOfPendingTarget;
}

}  // namespace

bool ReplacedFiles::keepCopy(InstallHost& host, const std::string& path, KeptAs kind,
                             std::optional<std::uint32_t> attributes) {
    std::string copy = host.files.newReplacementFile();
    if (copy.empty())
        return false;
    if (!host.files.copyFile(path, copy)) {
        host.files.deleteFile(copy);
        return false;
    }
    keep(path, copy, kind, attributes);
    return true;
}

void ReplacedFiles::keep(const std::string& path, const std::string& copy, KeptAs kind,
                         std::optional<std::uint32_t> attributes) {
    kept_.push_back({path, copy, kind, attributes});
}

void ReplacedFiles::forgetSince(InstallHost& host, std::size_t mark) {
    while (kept_.size() > mark) {
        if (isTemporary(kept_.back().kind))
            deleteCopy(host, kept_.back().copy);
        kept_.pop_back();
    }
}

void ReplacedFiles::restore(InstallHost& host, bool pendingTargets,
                            const std::function<void(const std::string&)>& cancelDeletion) {
    std::vector<KeptOriginal> left;
    for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) {
        if ((it->kind == KeptAs::CopyOfPendingTarget) != pendingTargets) {
            left.insert(left.begin(), *it);
            continue;
        }
        // The new file may be read-only; the old one brings its own attributes back.
        if (std::optional<std::uint32_t> attributes = host.files.attributes(it->path))
            host.files.setAttributes(it->path, *attributes & ~kAttributeReadOnly);
        if (!host.files.moveOver(it->copy, it->path)) {
            // The copy stays where it is (the program keeps its replacement files):
            // the user can put it back by hand.
            host.view.showMessage("Couldn't put back " + it->path +
                                      " - the file that was there is kept as " + it->copy,
                                  MessageIcon::Warning);
            continue;
        }
        if (it->attributes)
            host.files.setAttributes(it->path, *it->attributes);
        if (it->kind == KeptAs::MovedAside)
            cancelDeletion(it->copy);
    }
    kept_ = std::move(left);
}

void ReplacedFiles::discard(InstallHost& host) {
    for (const KeptOriginal& original : kept_)
        if (isTemporary(original.kind))
            deleteCopy(host, original.copy);
    kept_.clear();
    values_.clear();
}

void ReplacedFiles::restoreValues(Registry& registry) {
    for (auto it = values_.rbegin(); it != values_.rend(); ++it) {
        std::optional<RegistryValueType> type;
        switch (it->old.type) {
            case kRegistryTypeString: type = RegistryValueType::String; break;
            case kRegistryTypeDword: type = RegistryValueType::Dword; break;
            case kRegistryTypeMultiString: type = RegistryValueType::MultiString; break;
            case kRegistryTypeBinary: type = RegistryValueType::Binary; break;
            default: break;  // a type the table cannot write is left as the undo left it
        }
        OpenedKey key(registry, it->root, it->keyPath, KeyAccess::SetValues);
        if (type && key)
            registry.setValue(key.get(), it->name, *type, it->old.data);
    }
    values_.clear();
}

}  // namespace vortix

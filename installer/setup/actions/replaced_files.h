// Files that were on the machine before the installation and that the run
// replaced, moved or deleted, each with the place its old content is kept, and
// registry values it wrote over with their old data, so that an aborted
// installation puts every one of them back. The copies kept in the temporary
// directory go once the installation completes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "installer/setup/actions/install_host.h"

namespace vortix {

enum class KeptAs {
    TemporaryCopy,  // a copy in the temporary directory, made for the rollback alone
    Backup,         // the package's backup copy, made by this run
    MovedAside,     // the file in use, moved aside and deleted at the next restart
    // A copy of a file that stays in place until the next restart replaces it. The
    // rollback removes the recorded target first, so this one goes back afterwards.
    CopyOfPendingTarget,
};

// A registry value as it was before the run wrote over it.
struct KeptValue {
    RegistryRoot root;
    std::string keyPath;
    std::string name;
    RegistryValue old;
};

struct KeptOriginal {
    std::string path;  // where the file was
    std::string copy;  // where its old content is now
    KeptAs kind;
    // The attributes it had, given back with it (the run clears read-only to replace it).
    std::optional<std::uint32_t> attributes;
};

class ReplacedFiles {
public:
    // Copies the file to a new temporary file and keeps it; false when the copy
    // cannot be made (nothing kept then).
    bool keepCopy(InstallHost& host, const std::string& path, KeptAs kind = KeptAs::TemporaryCopy,
                  std::optional<std::uint32_t> attributes = std::nullopt);
    void keep(const std::string& path, const std::string& copy, KeptAs kind,
              std::optional<std::uint32_t> attributes = std::nullopt);
    // The files kept since `mark` (a size of kept()) were not replaced after all:
    // their entries go, and the copies made for the rollback with them.
    void forgetSince(InstallHost& host, std::size_t mark);

    // Puts the originals back, the latest first, over whatever the run left there;
    // `pendingTargets` says whether this pass is the one after the recorded files
    // were removed (only CopyOfPendingTarget entries) or the one before (all others).
    // `cancelDeletion` withdraws the restart-time deletion of a moved-aside file.
    void restore(InstallHost& host, bool pendingTargets,
                 const std::function<void(const std::string&)>& cancelDeletion);
    // The installation completed: the temporary copies are deleted; backups and
    // moved-aside files stay where they are.
    void discard(InstallHost& host);

    void keepValue(KeptValue value) { values_.push_back(std::move(value)); }
    // Writes the old data back, the latest first: after the records are undone,
    // which deleted the values the run wrote.
    void restoreValues(Registry& registry);

    const std::vector<KeptOriginal>& kept() const { return kept_; }
    const std::vector<KeptValue>& keptValues() const { return values_; }

private:
    std::vector<KeptOriginal> kept_;
    std::vector<KeptValue> values_;
};

}  // namespace vortix

// Files replaced or deleted at the next restart, for both programs: the system's
// own queue where it has one (MoveFileEx, kept in "PendingFileRenameOperations"
// on the NT family), and the [Rename] section of wininit.ini where it has not.
// The system calls are the RestartSystem table (win32_restart_system.h); the
// value is read and written through the registry table.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "installer/common/registry.h"

namespace vortix {

class RestartSystem {
public:
    virtual ~RestartSystem() = default;
    virtual bool isNtFamily() = 0;
    virtual bool deleteAtRestart(const std::string& path) = 0;
    // Moves `from` over `to` at the next restart; false where the system cannot.
    virtual bool replaceAtRestart(const std::string& from, const std::string& to) = 0;
    // The short (8.3) form; the path itself when the system gives none.
    virtual std::string shortPath(const std::string& path) = 0;
    // wininit.ini in the Windows directory; nothing when it is not there or cannot
    // be read.
    virtual std::optional<std::string> readWininit() = 0;
    virtual bool writeWininit(const std::string& text) = 0;
};

inline constexpr const char* kSessionManagerKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr const char* kPendingRenamesValue = "PendingFileRenameOperations";

// "PendingFileRenameOperations" as its strings (pairs; an empty string, the second
// of a deletion, counts); nothing when the key cannot be opened.
std::optional<std::vector<std::string>> pendingFileRenames(Registry& registry);
// Writes the pairs back; deletes the value when there are none.
void setPendingFileRenames(Registry& registry, const std::vector<std::string>& strings);

// Whether a deletion of the path waits for the next restart.
bool deletionPendingAtRestart(RestartSystem& system, Registry& registry, const std::string& path);

// Withdraws a deletion at the next restart that was asked for the path.
void cancelDeletionAtRestart(RestartSystem& system, Registry& registry, const std::string& path);

// Moves `from` over `to` at the next restart, through wininit.ini's [Rename]
// section where the system cannot do it itself.
void replaceAtRestartOrByWininit(RestartSystem& system, const std::string& from,
                                 const std::string& to);

// Deletes the file at the next restart, through wininit.ini's [Rename] section
// where the system cannot do it itself.
void deleteAtRestartOrByWininit(RestartSystem& system, const std::string& path);

}  // namespace vortix

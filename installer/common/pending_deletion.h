// Deletions waiting for the next restart, in both forms the systems keep them:
// the (source, target) pairs of "PendingFileRenameOperations" on the NT family,
// and "NUL=" lines in the [Rename] section of wininit.ini on the others. Only the
// text is handled here; reading and writing the value and the file is the
// caller's.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortix {

// The pairs left once every deletion of `path` is dropped (source "\??\" + path or
// the path itself, without regard to case, with an empty target); nothing when no
// pair was dropped.
std::optional<std::vector<std::string>> withoutPendingDeletion(
    const std::vector<std::string>& pairs, std::string_view path);

// wininit.ini without its first line "NUL=" + shortPath (without regard to case);
// nothing when there is no such line.
std::optional<std::string> withoutWininitDeletion(std::string_view ini, std::string_view shortPath);

// wininit.ini asking for `shortPath` to be deleted: "NUL=" + shortPath right after
// the first "[Rename]" line (unless it is there already), a new section at the end,
// or the whole file when it was empty.
std::string withWininitDeletion(std::string_view ini, std::string_view shortPath);

// wininit.ini with "target=source" in its [Rename] section (the section is added
// at the end when missing), which the 95 family carries out at the next start.
std::string withWininitRename(std::string_view ini, std::string_view shortTarget,
                              std::string_view shortSource);

}  // namespace vortix

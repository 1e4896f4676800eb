// A picture of the Wine prefix as a program sees it: every file under C:\ with its
// size and a hash of its bytes, and every registry key and value under
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER. Two pictures are compared to prove
// that an installation and its removal (or its rollback) leave nothing behind.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct PrefixSnapshot {
    // "C:\path" -> size and hash; "HKLM\key" -> "" and "HKLM\key\\value" -> type and data.
    std::map<std::string, std::string> entries;
};

// `skip` lists path prefixes left out (compared without regard to case), each
// with its reason in the caller.
PrefixSnapshot takeSnapshot(const std::vector<std::string>& skip);

// One line per difference: "+ added", "- removed", "* changed".
std::vector<std::string> differences(const PrefixSnapshot& before, const PrefixSnapshot& after);

}  // namespace testing_support

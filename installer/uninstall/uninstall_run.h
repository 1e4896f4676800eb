// One uninstall run, from reading the log out of the program's own file to the
// result: shared files, backups, files, directories, registry, self-removal.
#pragma once

#include <string>
#include <string_view>

#include "installer/common/uninstall_log.h"
#include "installer/uninstall/uninstall_host.h"

namespace vortix {

struct UninstallOptions {
    bool silent = false;    // "/SILENT": no windows, every last-user shared file removed
    bool noRemove = false;  // "/NOREMOVE": leave the program file in place
};

// The options in a command line, found as upper-cased substrings anywhere in it.
UninstallOptions parseCommandLine(std::string_view commandLine);

// The exit code: 1 after a completed run, 0 when it stopped before removing anything.
int runUninstall(UninstallHost& host, const UninstallOptions& options);

// What went wrong, as the Details window shows it (empty when nothing did).
struct UninstallFailures {
    std::string files, directories, keys;  // each "path\r\n" per failure

    bool empty() const { return files.empty() && directories.empty() && keys.empty(); }
    std::string detailsText() const;
};

enum class WalkMode { Check, Delete };

// Walks one root of the logged tree against the registry. Check mode only opens
// keys, to learn whether the user may change them; delete mode removes what the
// log says. False when access to a key is denied in a way the walk cannot get past.
bool walkRegistryRoot(UninstallHost& host, RegistryRoot root, const RegistryKeyNode& logged,
                      WalkMode mode, UninstallFailures& failures);

}  // namespace vortix

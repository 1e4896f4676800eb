// Reading the uninstall log back: out of the uninstaller's own file, through both
// sealing layers, into its header, lists and registry tree. Everything is checked
// before the uninstaller acts on any of it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "installer/common/log_context.h"
#include "installer/common/registry_log_tree.h"
#include "installer/common/sealed_block.h"

namespace vortix {

enum class LogError { CannotRead, OutOfMemory, Corrupt };

// The message the uninstaller shows (captioned "Vortix Uninstaller", error icon).
std::string_view messageFor(LogError error);

struct UninstallLog {
    std::string productName;
    std::string formatTag;
    std::string preUninstallProgram;
    std::vector<std::string> shared;
    std::vector<std::string> backupLines;
    std::vector<std::string> files;
    std::vector<std::string> directories;
    bool hasRegistry = false;  // false when nothing follows "Registry:"
    RegistryLogTree registry;

    // Logs of format "100" and "101" (and without a tag) carry no program field.
    bool runsPreUninstallProgram() const;
};

// The two parts of an uninstaller file with its log appended.
struct UninstallerParts {
    std::string_view programImage;
    std::string_view sealedLog;
};
std::optional<UninstallerParts> splitUninstaller(std::string_view file);

// A program image with the sealed text and the trailer appended.
std::string withLog(std::string_view programImage, std::string_view plainText, const KeyDraw& draw);

std::variant<UninstallLog, LogError> parseLogText(std::string_view plain);
// The log inside a whole uninstaller file.
std::variant<UninstallLog, LogError> readUninstallLog(std::string_view file);

// Merges the records of `context` into the log of an uninstaller file: the new
// file's bytes, or nothing (the file to be left untouched) when its log is not valid.
std::optional<std::string> mergeIntoUninstaller(std::string_view file, LogContext& context,
                                                const KeyDraw& draw);

}  // namespace vortix

// The recording calls handed to the package's plug-in library. Each returns 1 on
// success, -1 for an empty argument or a root outside the four handles, and -2 when
// the operation fails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "installer/common/log_context.h"
#include "installer/setup/actions/install_host.h"

namespace vortix {

inline constexpr int kPluginDone = 1;
inline constexpr int kPluginBadArgument = -1;
inline constexpr int kPluginFailed = -2;

class PluginRecorder {
public:
    // installDirectory: "<InstallDir>" as it stands when a call is made.
    PluginRecorder(InstallHost& host, LogContext& log, std::string installDirectory)
        : host_(host), log_(log), installDirectory_(std::move(installDirectory)) {}

    void setInstallDirectory(std::string directory) { installDirectory_ = std::move(directory); }

    int recordFile(std::string_view path);
    // Creates it quietly with its parents; the directories made are recorded.
    int createDirectory(std::string_view path);
    // Root handle as the system numbers it (0x80000000 .. 0x80000003); the key is
    // recorded for deletion.
    int recordKey(std::uint32_t rootHandle, std::string_view keyPath);
    int countSharedFile(std::string_view path);
    int recordValue(std::uint32_t rootHandle, std::string_view keyPath, std::string_view valueName);
    // Backs the file up, with the file's own current version and last-write time.
    int backUpFile(std::string_view path);

private:
    InstallHost& host_;
    LogContext& log_;
    std::string installDirectory_;
};

}  // namespace vortix

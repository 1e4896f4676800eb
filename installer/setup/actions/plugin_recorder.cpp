#include "installer/setup/actions/plugin_recorder.h"

#include "installer/setup/actions/install_steps.h"

namespace vortix {
namespace {

bool isRootHandle(std::uint32_t handle) {
    return handle >= 0x80000000u && handle <= 0x80000003u;
}

}  // namespace

int PluginRecorder::recordFile(std::string_view path) {
    if (path.empty())
        return kPluginBadArgument;
    log_.recordFile(path);
    return kPluginDone;
}

int PluginRecorder::createDirectory(std::string_view path) {
    if (path.empty())
        return kPluginBadArgument;
    return InstallSteps(host_, log_).createDirectories(std::string(path), true) ? kPluginDone
                                                                                : kPluginFailed;
}

int PluginRecorder::recordKey(std::uint32_t rootHandle, std::string_view keyPath) {
    if (keyPath.empty() || !isRootHandle(rootHandle))
        return kPluginBadArgument;
    log_.recordKey(static_cast<std::int32_t>(rootHandle), keyPath);
    return kPluginDone;
}

int PluginRecorder::countSharedFile(std::string_view path) {
    if (path.empty())
        return kPluginBadArgument;
    return InstallSteps(host_, log_).countSharedFile(std::string(path)) ? kPluginDone
                                                                        : kPluginFailed;
}

int PluginRecorder::recordValue(std::uint32_t rootHandle, std::string_view keyPath,
                                std::string_view valueName) {
    if (keyPath.empty() || valueName.empty() || !isRootHandle(rootHandle))
        return kPluginBadArgument;
    log_.recordValue(static_cast<std::int32_t>(rootHandle), keyPath, valueName);
    return kPluginDone;
}

int PluginRecorder::backUpFile(std::string_view path) {
    if (path.empty())
        return kPluginBadArgument;
    std::string file(path);
    std::optional<std::uint64_t> time = host_.files.lastWriteTime(file);
    if (!time || !host_.files.fileExists(file))
        return kPluginFailed;
    VersionInfo version = host_.files.versionInfo(file);
    return InstallSteps(host_, log_)
                   .backUp(file, installDirectory_, version.versionHigh, version.versionLow, *time)
               ? kPluginDone
               : kPluginFailed;
}

}  // namespace vortix

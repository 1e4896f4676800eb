#include "installer/common/win32_restart_system.h"

#include <windows.h>

#include "platform/file_system.h"
#include "platform/whole_file.h"

namespace vortix {
namespace {

std::string wininitPath() {
    char directory[MAX_PATH];
    UINT n = GetWindowsDirectoryA(directory, sizeof directory);
    std::string path(directory, n < sizeof directory ? n : 0);
    if (path.empty() || path.back() != '\\')
        path.push_back('\\');
    return path + "WININIT.INI";
}

}  // namespace

bool Win32RestartSystem::isNtFamily() {
    return (GetVersion() & 0x80000000u) == 0;
}

bool Win32RestartSystem::deleteAtRestart(const std::string& path) {
    return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool Win32RestartSystem::replaceAtRestart(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
}

std::string Win32RestartSystem::shortPath(const std::string& path) {
    char shortForm[MAX_PATH * 2];
    DWORD n = GetShortPathNameA(path.c_str(), shortForm, sizeof shortForm);
    return n && n < sizeof shortForm ? std::string(shortForm, n) : path;
}

std::optional<std::string> Win32RestartSystem::readWininit() {
    platform::FileBytes bytes;
    if (platform::readWholeFile(platform::systemFileSystem(), wininitPath(), std::size_t{256} << 20,
                                bytes) != platform::ReadOutcome::Ok)
        return std::nullopt;
    return bytes.str();
}

bool Win32RestartSystem::writeWininit(const std::string& text) {
    return platform::replaceWholeFile(platform::systemFileSystem(), wininitPath(), text) ==
           platform::WriteOutcome::Ok;
}

}  // namespace vortix

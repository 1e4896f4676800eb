#include "installer/setup/actions/win32_rollback_services.h"

#include <windows.h>

#include "framework/message_loop.h"
#include "installer/setup/actions/windows_path.h"
#include "platform/file_system.h"
#include "platform/whole_file.h"

namespace vortix {

void Win32UninstallerLauncher::runAndWait(const std::string& path) {
    std::string commandLine = "\"" + path + "\" /SILENT /NOREMOVE";
    std::string directory = directoryOf(path);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &process))
        return;
    CloseHandle(process.hThread);
    fw::waitDispatching(process.hProcess);
    Sleep(50);
    CloseHandle(process.hProcess);
}

std::optional<std::string> Win32ProgramFiles::read(const std::string& path) {
    platform::FileBytes image;
    if (platform::readWholeFile(platform::systemFileSystem(), path, std::size_t{64} << 20, image) !=
        platform::ReadOutcome::Ok)
        return std::nullopt;
    return image.str();
}

bool Win32ProgramFiles::write(const std::string& path, const std::string& bytes) {
    return platform::replaceWholeFile(platform::systemFileSystem(), path, bytes) ==
           platform::WriteOutcome::Ok;
}

void Win32ProgramFiles::makePlain(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

void Win32ProgramFiles::remove(const std::string& path) {
    DeleteFileA(path.c_str());
}

}  // namespace vortix

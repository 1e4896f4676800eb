#include "installer/uninstall/win32_host.h"

#include <vector>

#include "framework/message_loop.h"
#include "installer/common/win32_system_libraries.h"
#include "installer/uninstall/child_environment.h"
#include "installer/uninstall/resource.h"

namespace vortix {
namespace {

const char kCaption[] = "Vortix Uninstaller";

RemoveResult removeResult(BOOL ok) {
    if (ok)
        return RemoveResult::Removed;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return RemoveResult::NotFound;
    return RemoveResult::Failed;
}

bool readFile(const std::string& path, std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1LL << 30);
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        ok = bytes.empty() ||
             (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
              got == bytes.size());
    }
    CloseHandle(file);
    return ok;
}

std::string ownEnvironmentBlock() {
    char* strings = GetEnvironmentStringsA();
    if (!strings)
        return std::string(2, '\0');
    std::size_t size = 0;
    while (strings[size] != '\0' || strings[size + 1] != '\0')
        ++size;
    std::string block(strings, size + 2);
    FreeEnvironmentStringsA(strings);
    return block;
}

}  // namespace

Win32Host::~Win32Host() {
    if (mutex_)
        CloseHandle(mutex_);
}

bool Win32Host::readOwnFile(std::string& bytes) {
    return readFile(ownPath(), bytes);
}

std::string Win32Host::ownPath() {
    char path[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, n < sizeof path ? n : 0);
}

bool Win32Host::takeMutex(const std::string& name) {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
    if (!mutex) {
        // A "\" in the product name reads as a namespace and the name is refused;
        // such a product must still be removable.
        std::string plain = name;
        for (char& c : plain)
            if (c == '\\')
                c = '_';
        mutex = CreateMutexA(nullptr, TRUE, plain.c_str());
    }
    if (!mutex)
        return true;  // no mutex to be had: go on without one
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    mutex_ = mutex;  // held until the program ends
    return true;
}

std::optional<std::uint32_t> Win32Host::runAndWait(const std::string& program, bool silentRun) {
    std::string environment = preUninstallEnvironment(ownEnvironmentBlock(), silentRun);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::vector<char> commandLine(program.begin(), program.end());
    commandLine.push_back('\0');
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        environment.data(), nullptr, &startup, &process))
        return std::nullopt;
    CloseHandle(process.hThread);
    // Keep window messages flowing while the program runs.
    fw::waitDispatching(process.hProcess);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return code;
}

RemoveResult Win32Host::deleteFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return removeResult(DeleteFileA(path.c_str()));
}

RemoveResult Win32Host::removeDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return removeResult(RemoveDirectoryA(path.c_str()));
}

void Win32Host::setCurrentDirectory(const std::string& path) {
    SetCurrentDirectoryA(path.c_str());
}

std::optional<FileStamp> Win32Host::stamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    FileStamp stamp;
    stamp.timeHigh = data.ftLastWriteTime.dwHighDateTime;
    stamp.timeLow = data.ftLastWriteTime.dwLowDateTime;
    // A file without a version resource counts as version 0.0.0.0.
    const VersionLibrary* version = versionLibrary();
    DWORD ignored = 0;
    DWORD size = version ? version->infoSize(path.c_str(), &ignored) : 0;
    if (size) {
        std::vector<char> info(size);
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT fixedSize = 0;
        if (version->info(path.c_str(), 0, size, info.data()) &&
            version->query(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) &&
            fixed) {
            stamp.versionHigh = fixed->dwFileVersionMS;
            stamp.versionLow = fixed->dwFileVersionLS;
        }
    }
    return stamp;
}

bool Win32Host::copyFile(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

void Win32Host::showError(const std::string& text) {
    MessageBoxA(owner(), text.c_str(), kCaption, MB_OK | MB_ICONERROR);
}

bool Win32Host::askYesNo(const std::string& text) {
    return MessageBoxA(owner(), text.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

SharedFileAnswer Win32Host::askSharedFile(const std::string& text) {
    SharedFileDialog dialog(text);
    if (dialog.runModal(IDD_SHARED_FILE, owner()) == -1)
        return SharedFileAnswer::No;
    return dialog.answer();
}

void Win32Host::showProgress(const std::string& removingText) {
    progress_ = std::make_unique<ProgressWindow>();
    if (!progress_->open(removingText))
        progress_.reset();
}

void Win32Host::showPhase(Phase phase) {
    if (progress_)
        progress_->showPhase(phase);
}

void Win32Host::showResult(const std::string& resultText, const std::string& details) {
    if (progress_)
        progress_->finish(resultText, details);
}

}  // namespace vortix

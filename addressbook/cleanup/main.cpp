// ctliteclean: Contavo Lite's pre-uninstall program. The uninstaller starts it
// with no arguments before it removes anything; what it asks and removes is
// settings_cleanup.h. The system's side is here.
#include <windows.h>
// (after windows.h)
#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "addressbook/cleanup/settings_cleanup.h"
#include "addressbook/contracts/settings_places.h"

namespace {

constexpr char kCaption[] = "Remove Contavo Lite";

std::string folderOfThisProgram() {
    char path[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, n < sizeof path ? n : 0);
    std::size_t slash = folder.find_last_of('\\');
    return slash == std::string::npos ? folder : folder.substr(0, slash);
}

ctlite::Removal removal(DWORD error) {
    if (error == ERROR_SUCCESS)
        return ctlite::Removal::Removed;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return ctlite::Removal::NotThere;
    return ctlite::Removal::Failed;
}

class Win32Cleanup final : public ctlite::CleanupSystem {
public:
    bool silentRun() override {
        char value[8] = "";
        DWORD n = GetEnvironmentVariableA("VXUNINST_SILENT", value, sizeof value);
        return n < sizeof value && std::string(value, n) == "1";
    }
    ctlite::CleanupPlaces places() override {
        ctlite::CleanupPlaces places;
        places.programFolder = folderOfThisProgram();
        char folder[MAX_PATH] = "";
        UINT n = GetWindowsDirectoryA(folder, sizeof folder);
        places.windowsFolder.assign(folder, n < sizeof folder ? n : 0);
        folder[0] = '\0';
        if (SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, FALSE))
            places.startupFolder = folder;
        return places;
    }
    bool programRunning() override {
        HANDLE mark = OpenMutexA(SYNCHRONIZE, FALSE, ctlite::kInstanceMutex);
        if (!mark)
            return false;
        CloseHandle(mark);
        return true;
    }
    bool askRetryCancel(const std::string& text) override {
        return MessageBoxA(nullptr, text.c_str(), kCaption,
                           MB_RETRYCANCEL | MB_ICONEXCLAMATION | MB_SETFOREGROUND) == IDRETRY;
    }
    bool askYesNo(const std::string& text) override {
        // No is the default: the settings stay unless the user picks Yes.
        return MessageBoxA(nullptr, text.c_str(), kCaption,
                           MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND) == IDYES;
    }
    void showError(const std::string& text) override {
        MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
    }
    ctlite::Removal removeFile(const std::string& path) override {
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        return DeleteFileA(path.c_str()) ? ctlite::Removal::Removed : removal(GetLastError());
    }
    ctlite::Removal removeUserKey(const std::string& path) override {
        return removal(static_cast<DWORD>(SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str())));
    }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Win32Cleanup system;
    return ctlite::runSettingsCleanup(system);
}

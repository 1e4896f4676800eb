#include "tests/installer/setup/vxsetup_fixture.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include "installer/package/package_check.h"
#include "installer/package/package_reader.h"
#include "platform/memory_file.h"

namespace vxsetup_testing {

const std::string kWork = windowsPath(VXSETUP_WORK);
const std::string kVxpack = windowsPath(VXPACK_EXE);
// The test build of the setup program, which also reads VXSETUP_FAULTS.
const std::string kStub = windowsPath(VXSETUP_EXE);
const std::string kProductStub = windowsPath(VXSETUP_PRODUCT_EXE);
const std::string kUninstaller = windowsPath(VXUNINST_EXE);
const std::string kEnglish = windowsPath(ENGLISH_SET);
const std::string kDeutsch = windowsPath(DEUTSCH_SET);
const std::string kVersioned = windowsPath(EXIT_CODE_EXE);  // carries version 1.2.3.4
const std::string kRecordArguments = windowsPath(RECORD_ARGUMENTS_EXE);
const std::string kPluginDouble = windowsPath(PLUGIN_DOUBLE_DLL);
const std::string kMp3Double = windowsPath(MP3_DOUBLE_DLL);
const std::string kJpegLibrary = windowsPath(VXJPEG_DLL);

const char* const kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char* const kSharedDlls = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// Every Windows has the shared-file counts' key; a fresh Wine prefix has not, and the
// first installation that counts a file would make it. Made here, before any
// picture of the prefix is taken, so that no test depends on another having run.
const bool kSharedCountsKeyExists = [] {
    HKEY key = nullptr;
    bool made = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSharedDlls, 0, nullptr, 0, KEY_READ, nullptr,
                                &key, nullptr) == ERROR_SUCCESS;
    if (made)
        RegCloseKey(key);
    return made;
}();

std::string windowsDirectory() {
    char directory[MAX_PATH] = "";
    GetWindowsDirectoryA(directory, sizeof directory);
    return directory;
}

std::string programFiles() {
    char path[MAX_PATH] = "C:\\Program Files";
    DWORD size = sizeof path;
    RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                 "ProgramFilesDir", RRF_RT_REG_SZ, nullptr, path, &size);
    return path;
}

// Changes of the prefix that no installation makes and that Wine makes by itself
// while programs start, each left out of the comparison.
const std::vector<std::string> kNotCompared = {
    // Wine's own per-run bookkeeping of windows, fonts and devices (a printer's status
    // follows the print queue the machine shares).
    "HKCU\\Software\\Wine",
    "HKLM\\Software\\Wine",
    "HKLM\\System\\CurrentControlSet\\Control\\Class",
    "HKLM\\System\\CurrentControlSet\\Enum",
    "HKLM\\System\\CurrentControlSet\\Services",
    "HKLM\\Hardware",
    "HKLM\\System\\CurrentControlSet\\Control\\Video",
    "HKLM\\System\\CurrentControlSet\\Hardware Profiles",
    "HKLM\\System\\CurrentControlSet\\Control\\DeviceClasses",
    "HKLM\\System\\CurrentControlSet\\Control\\ServiceCurrent",
    "HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers",
    "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
    "HKLM\\Software\\Microsoft\\Cryptography\\RNG",
    "HKCU\\Volatile Environment",
    // The test's own files (the packages live outside C:).
    "C:\\windows\\Installer",
};

std::string programsFolder() {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, path);
    return path;
}

PackageMaker::PackageMaker(const std::string& name, const std::string& stub) : stub_(stub) {
    package_.name = name;
    package_.directory = kWork + "\\" + name;
    CreateDirectoryA(kWork.c_str(), nullptr);
    CreateDirectoryA(package_.directory.c_str(), nullptr);
    package_.setup = package_.directory + "\\setup.exe";
    DeleteFileA(package_.setup.c_str());
}

std::string PackageMaker::file(const std::string& name, const std::string& bytes) {
    std::string path = package_.directory + "\\" + name;
    writeAll(path, bytes);
    return path;
}

Package PackageMaker::build(const std::string& description, const std::string& pieces) {
    std::string toml = "[[languages]]\nname = \"English\"\nfile = '" + kEnglish + "'\n" +
                       "[pieces]\nuninstaller = '" + kUninstaller + "'\n" + pieces + "\n" +
                       description;
    file("setup.toml", toml);
    Started packer = launch("\"" + kVxpack + "\" setup.toml --stub \"" + stub_ + "\" -o setup.exe",
                            package_.directory);
    EXPECT_EQ(packer.wait(), 0u) << "vxpack refused:\n" << toml;
    return package_;
}

DWORD runSetup(const Package& package, const std::string& arguments, const std::string& faults) {
    SetEnvironmentVariableA("VXSETUP_FAULTS", faults.empty() ? nullptr : faults.c_str());
    Started setup = launch("\"" + package.setup + "\" " + arguments, package.directory);
    SetEnvironmentVariableA("VXSETUP_FAULTS", nullptr);
    return setup.wait(120000);
}

// The uninstaller an installation of `product` put in the Windows directory.
void writeResealed(const std::string& path, std::string bytes) {
    vortix::PackageStream stream(std::make_unique<platform::MemoryFile>(bytes), nullptr);
    vortix::OpenedPackage opened = vortix::openPackage(stream);
    ASSERT_EQ(opened.failure, vortix::PackageFailure::Damaged);
    vortix::stampPackageCheck(bytes, opened.toc);
    writeAll(path, bytes);
}

std::string installedUninstaller(const std::string& product) {
    return windowsDirectory() + "\\" + product + " Uninstaller.exe";
}

// Runs that uninstaller silently to its end; its exit code.
DWORD uninstall(const std::string& product) {
    return launch("\"" + installedUninstaller(product) + "\" /SILENT", windowsDirectory())
        .wait(120000);
}

std::vector<std::string> pendingRenames() {
    std::vector<std::string> strings;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return strings;
    char data[65536];
    DWORD size = sizeof data, type = 0;
    if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, &type,
                         reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS) {
        for (DWORD at = 0; at < size && data[at];) {
            strings.emplace_back(data + at);
            at += static_cast<DWORD>(strings.back().size()) + 1;
            if (at < size && data[at] == '\0' && strings.size() % 2 == 1) {
                strings.emplace_back();
                ++at;
            }
        }
    }
    RegCloseKey(key);
    return strings;
}

// What a restart does with the deletions waiting for it (renames are not used here).
void simulateRestart() {
    std::vector<std::string> pending = pendingRenames();
    for (std::size_t i = 0; i + 1 < pending.size(); i += 2) {
        std::string path = pending[i];
        if (path.rfind("\\??\\", 0) == 0)
            path = path.substr(4);
        if (pending[i + 1].empty()) {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
        RegDeleteValueA(key, "PendingFileRenameOperations");
        RegCloseKey(key);
    }
}

std::string stringValue(HKEY root, const char* key, const char* name, DWORD& type) {
    char data[1024] = "";
    DWORD size = sizeof data;
    type = 0;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return "<no key>";
    LONG result =
        RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(opened);
    return result == ERROR_SUCCESS ? std::string(data, size) : "<no value>";
}

void expectNoDifferences(const PrefixSnapshot& before, const std::vector<std::string>& allowed) {
    PrefixSnapshot after = takeSnapshot(kNotCompared);
    std::vector<std::string> unexpected;
    for (const std::string& line : differences(before, after)) {
        bool expected = false;
        for (const std::string& path : allowed)
            if (line.find(path) != std::string::npos)
                expected = true;
        if (!expected)
            unexpected.push_back(line);
    }
    std::string text;
    for (const std::string& line : unexpected)
        text += line + "\n";
    EXPECT_TRUE(unexpected.empty()) << text;
}

HWND waitForAnyWindow(const std::string& caption, int control) {
    HWND found = nullptr;
    waitUntil(
        [&] {
            found = nullptr;
            while ((found = FindWindowExA(nullptr, found, nullptr, caption.c_str())))
                if (IsWindowVisible(found) && GetDlgItem(found, control))
                    return true;
            return false;
        },
        std::chrono::seconds(60));
    return found;
}

HWND findSetupWindow(const std::string& title) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "VortixInstaller", nullptr))) {
        char text[256] = "";
        GetWindowTextA(window, text, sizeof text);
        if (std::string(text).find(title) != std::string::npos)
            return window;
    }
    return nullptr;
}

// The wizard page the setup window of `title` shows (the others are hidden).
HWND waitForPage(const std::string& title) {
    HWND page = nullptr;
    waitUntil(
        [&] {
            HWND window = findSetupWindow(title);
            page = nullptr;
            while (window && (page = FindWindowExA(window, page, "VIDialogTemplate", nullptr)))
                if (IsWindowVisible(page) && GetDlgItem(page, kHeading) &&
                    !GetDlgItem(page, kProgressBar))
                    return true;
            return false;
        },
        std::chrono::seconds(60));
    return page;
}

HWND nextPage(const std::string& title, HWND current) {
    HWND page = nullptr;
    waitUntil([&] { return (page = waitForPage(title)) != current && page != nullptr; });
    return page;
}

}  // namespace vxsetup_testing

#include "installer/setup/actions/win32_install_host.h"

#include <objbase.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>

#include "framework/message_loop.h"
#include "installer/common/win32_system_libraries.h"
#include "installer/setup/source/package_entries.h"
#include "platform/file_system.h"
#include "platform/whole_file.h"

namespace vortix {
namespace {

std::uint64_t fromFileTime(const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME toFileTime(std::uint64_t value) {
    FILETIME t;
    t.dwHighDateTime = static_cast<DWORD>(value >> 32);
    t.dwLowDateTime = static_cast<DWORD>(value);
    return t;
}

std::wstring wide(const std::string& text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), length);
    out.resize(length > 0 ? length - 1 : 0);
    return out;
}

}  // namespace

Win32InstallHost::Win32InstallHost(InstallSources sources, SetupMessages& messages,
                                   ProgressView* view, Mp3Library* mp3, JpegLibrary* jpeg)
    : sources_(std::move(sources)), messages_(messages), view_(view), mp3_(mp3), jpeg_(jpeg) {}

std::uint32_t Win32InstallHost::tickCount() {
    return GetTickCount();
}

std::uint64_t Win32InstallHost::ownLastWriteTime() {
    return lastWriteTime(sources_.setupProgram).value_or(0);
}

bool Win32InstallHost::fileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32InstallHost::directoryExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

CreateResult Win32InstallHost::createDirectory(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr))
        return CreateResult::Created;
    switch (GetLastError()) {
        case ERROR_ALREADY_EXISTS: return CreateResult::Exists;
        case ERROR_ACCESS_DENIED: return CreateResult::AccessDenied;
        default: return CreateResult::Failed;
    }
}

CreateResult Win32InstallHost::createNewFile(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return CreateResult::Created;
    }
    switch (GetLastError()) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return CreateResult::Exists;
        case ERROR_ACCESS_DENIED: return CreateResult::AccessDenied;
        default: return CreateResult::Failed;
    }
}

bool Win32InstallHost::deleteFile(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}

std::optional<std::uint32_t> Win32InstallHost::attributes(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    return a;
}

bool Win32InstallHost::setAttributes(const std::string& path, std::uint32_t attributes) {
    return SetFileAttributesA(path.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL) != 0;
}

bool Win32InstallHost::setTimes(const std::string& path, std::optional<std::uint64_t> created,
                                std::optional<std::uint64_t> lastWritten) {
    if (!created && !lastWritten)
        return true;
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FILETIME c = toFileTime(created.value_or(0)), w = toFileTime(lastWritten.value_or(0));
    BOOL ok = SetFileTime(h, created ? &c : nullptr, nullptr, lastWritten ? &w : nullptr);
    CloseHandle(h);
    return ok != 0;
}

std::optional<std::uint64_t> Win32InstallHost::lastWriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return fromFileTime(data.ftLastWriteTime);
}

VersionInfo Win32InstallHost::versionInfo(const std::string& path) {
    VersionInfo info;
    const VersionLibrary* version = versionLibrary();
    DWORD ignored = 0;
    DWORD size = version ? version->infoSize(path.c_str(), &ignored) : 0;
    if (size == 0)
        return info;
    std::vector<char> block(size);
    if (!version->info(path.c_str(), 0, size, block.data()))
        return info;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (version->query(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        info.versionHigh = fixed->dwFileVersionMS;
        info.versionLow = fixed->dwFileVersionLS;
    }
    WORD* translation = nullptr;
    if (version->query(block.data(), "\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translation), &length) &&
        translation && length >= 4) {
        info.language = translation[0];
        char query[64];
        wsprintfA(query, "\\StringFileInfo\\%04x%04x\\FileDescription", translation[0],
                  translation[1]);
        char* description = nullptr;
        if (version->query(block.data(), query, reinterpret_cast<void**>(&description), &length) &&
            description && length > 0)
            info.description.assign(description, strnlen(description, length));
    }
    return info;
}

std::string Win32InstallHost::languageName(std::uint32_t language) {
    char name[128] = "";
    VerLanguageNameA(language, name, sizeof name);
    return name;
}

bool Win32InstallHost::copyFile(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool Win32InstallHost::moveFile(const std::string& from, const std::string& to) {
    return MoveFileA(from.c_str(), to.c_str()) != 0;
}

bool Win32InstallHost::moveOver(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}

UseTest Win32InstallHost::openExclusive(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return UseTest::Free;
    }
    switch (GetLastError()) {
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_INVALID_ACCESS: return UseTest::InUse;
        default: return UseTest::Failed;
    }
}

std::optional<std::string> Win32InstallHost::readFile(const std::string& path) {
    platform::FileBytes bytes;
    if (platform::readWholeFile(platform::systemFileSystem(), path, std::size_t{256} << 20,
                                bytes) != platform::ReadOutcome::Ok)
        return std::nullopt;
    return bytes.str();
}

bool Win32InstallHost::writeFile(const std::string& path, const std::string& bytes) {
    return platform::replaceWholeFile(platform::systemFileSystem(), path, bytes) ==
           platform::WriteOutcome::Ok;
}

std::string Win32InstallHost::newReplacementFile() {
    // Named like the program's own temporary files, but kept: the system moves it
    // into place at the next restart.
    for (DWORD n = GetTickCount(), tries = 0; tries < 100000; ++n, ++tries) {
        std::string path = sources_.temporaryDirectory + "vxw" + std::to_string(n) + ".tmp";
        if (createNewFile(path) == CreateResult::Created)
            return path;
    }
    return {};
}

bool Win32InstallHost::externalFileExists(std::size_t, const PackagedFile& file) {
    return fileExists(sources_.setupDirectory + "\\" + file.externalName);
}

namespace {

// Writes straight through one handle of the target.
class HandleSink final : public ByteSink {
public:
    explicit HandleSink(HANDLE file) : file_(file) {}
    bool write(const unsigned char* data, std::size_t size) override {
        while (size > 0) {
            DWORD piece = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size), written = 0;
            if (!WriteFile(file_, data, piece, &written, nullptr) || written != piece)
                return false;
            data += piece;
            size -= piece;
        }
        return true;
    }

private:
    HANDLE file_;
};

// SetFileInformationByHandle, where the system has one (from Vista): looked up
// rather than imported, so that the program still starts on the systems without.
using SetInformation = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

SetInformation setInformationByHandle() {
    static const SetInformation found = []() -> SetInformation {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        return kernel ? reinterpret_cast<SetInformation>(reinterpret_cast<void*>(
                            GetProcAddress(kernel, "SetFileInformationByHandle")))
                      : nullptr;
    }();
    return found;
}

bool stampThrough(SetInformation setInformation, HANDLE file, const NewFileMarks& stamp) {
    FILE_BASIC_INFO basic{};
    // Times left 0 stay as they are.
    basic.CreationTime.QuadPart = static_cast<LONGLONG>(stamp.created.value_or(0));
    basic.LastWriteTime.QuadPart = static_cast<LONGLONG>(stamp.lastWritten.value_or(0));
    basic.FileAttributes = stamp.attributes ? stamp.attributes : FILE_ATTRIBUTE_NORMAL;
    return setInformation(file, FileBasicInfo, &basic, sizeof basic) != 0;
}

// Renames the file open as `file` over `target`, replacing it in one step.
bool renameThrough(SetInformation setInformation, HANDLE file, const std::string& target) {
    std::wstring name = wide(target);
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::copy(name.begin(), name.end(), rename->FileName);
    return setInformation(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != 0;
}

}  // namespace

bool Win32InstallHost::writeThrough(HANDLE target, std::size_t fileIndex, const PackagedFile& file,
                                    const std::string& path) {
    HandleSink sink(target);
    std::string message;
    try {
        return writeEntry(
            sources_.stream, sources_.fileData[fileIndex],
            file.storage == FileStorage::Stored ? EntryKind::Stored : EntryKind::Compressed, sink,
            message);
    } catch (...) {
        // The installation is given up while the data is read (the user cancelled the
        // prompt for a volume): the cut-off file goes before the rollback runs.
        CloseHandle(target);
        DeleteFileA(path.c_str());
        throw;
    }
}

bool Win32InstallHost::writeFileData(std::size_t fileIndex, const PackagedFile& file,
                                     const std::string& path) {
    if (file.storage == FileStorage::External)
        return CopyFileA((sources_.setupDirectory + "\\" + file.externalName).c_str(), path.c_str(),
                         FALSE) != 0;
    if (fileIndex >= sources_.fileData.size())
        return false;
    HANDLE target = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (target == INVALID_HANDLE_VALUE)
        return false;
    bool ok = writeThrough(target, fileIndex, file, path);
    ok = CloseHandle(target) && ok;
    if (!ok)
        DeleteFileA(path.c_str());  // never a cut-off file under the target's name
    return ok;
}

bool Win32InstallHost::placeFileData(std::size_t fileIndex, const PackagedFile& file,
                                     const std::string& beside, const std::string& target,
                                     const NewFileMarks& stamp) {
    SetInformation setInformation = setInformationByHandle();
    if (!setInformation || file.storage == FileStorage::External)
        return InstallFiles::placeFileData(fileIndex, file, beside, target, stamp);
    if (file.dataSize != 0 && fileIndex >= sources_.fileData.size())
        return false;
    // One handle writes the data, stamps the file and renames it over the target:
    // under Wine every further open by name is a round trip to its server.
    HANDLE handle = CreateFileA(beside.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    if (file.dataSize != 0 && !writeThrough(handle, fileIndex, file, beside)) {
        CloseHandle(handle);
        DeleteFileA(beside.c_str());  // never a cut-off file left while the user is told
        return false;
    }
    stampThrough(setInformation, handle, stamp);
    bool ok = target.empty() || renameThrough(setInformation, handle, target);
    return CloseHandle(handle) && ok;
}

bool Win32InstallHost::writeProfileString(const std::string& file, const std::string& section,
                                          const std::string& key, const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
           0;
}

void Win32InstallHost::flushProfiles() {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr);
}

bool Win32InstallHost::createShortcut(const ShortcutSpec& shortcut) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(shortcut.target.c_str());
    if (!shortcut.arguments.empty())
        link->SetArguments(shortcut.arguments.c_str());
    if (!shortcut.workingDirectory.empty())
        link->SetWorkingDirectory(shortcut.workingDirectory.c_str());
    if (!shortcut.iconFile.empty())
        link->SetIconLocation(shortcut.iconFile.c_str(), shortcut.iconIndex);
    IPersistFile* file = nullptr;
    bool saved = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        saved = SUCCEEDED(file->Save(wide(shortcut.file).c_str(), TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

void Win32InstallHost::openFolder(const std::string& path) {
    ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

ServerRegistration Win32InstallHost::registerServer(const std::string& path) {
    OleInitialize(nullptr);
    ServerRegistration result = ServerRegistration::NoLibrary;
    if (HMODULE library = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
        using Register = HRESULT(STDAPICALLTYPE*)();
        auto entry = reinterpret_cast<Register>(
            reinterpret_cast<void*>(GetProcAddress(library, "DllRegisterServer")));
        if (!entry)
            result = ServerRegistration::NoEntryPoint;
        else
            result = entry() == S_OK ? ServerRegistration::Registered : ServerRegistration::Failed;
        FreeLibrary(library);
    }
    OleUninitialize();
    return result;
}

namespace {

void VXMP3_API decodeProgress(int, DWORD, DWORD, void*) {
    fw::pumpWaitingMessages();
}

constexpr int kDecodeChannel = 1;

}  // namespace

bool Win32InstallHost::mp3Init() {
    if (!mp3_ || !mp3_->loaded() || !mp3_->init(kDecodeChannel))
        return false;
    mp3_->setExternalValues(kDecodeChannel, &decodeProgress, this);
    return true;
}

bool Win32InstallHost::mp3SetOutput(const std::string& wavPath) {
    return mp3_ && mp3_->setDevice(kDecodeChannel, VXMP3_DEVICE_WAVE_FILE, wavPath.c_str());
}

bool Win32InstallHost::mp3Open(const std::string& mp3Path) {
    return mp3_ && mp3_->open(kDecodeChannel, mp3Path.c_str());
}

void Win32InstallHost::mp3PlayToEnd() {
    if (!mp3_)
        return;
    mp3_->setPriority(kDecodeChannel, 1);
    if (!mp3_->play(kDecodeChannel, 0, 0, ""))
        return;
    for (;;) {
        int mode = mp3_->getPlayerMode(kDecodeChannel);
        if (mode == VXMP3_MODE_ENDED || mode == VXMP3_MODE_STOPPED || mode == VXMP3_MODE_CLOSED)
            return;
        fw::pumpWaitingMessages();
        Sleep(5);
    }
}

void Win32InstallHost::mp3Stop() {
    if (mp3_ && mp3_->loaded())
        mp3_->stop(kDecodeChannel);
}

namespace {

int VXJPEG_API conversionProgress(int) {
    fw::pumpWaitingMessages();
    return 1;
}

}  // namespace

bool Win32InstallHost::convertJpeg(const std::string& jpgPath, const std::string& bmpPath) {
    return jpeg_ && jpeg_->toBmp &&
           jpeg_->toBmp(jpgPath.c_str(), bmpPath.c_str(), &conversionProgress) == 1;
}

void Win32InstallHost::showMessage(const std::string& text, MessageIcon icon) {
    UINT type = icon == MessageIcon::Error     ? MB_ICONSTOP
                : icon == MessageIcon::Warning ? MB_ICONEXCLAMATION
                                               : MB_ICONINFORMATION;
    messages_.show(text, Buttons::Ok, type);
}

bool Win32InstallHost::askYesNo(const std::string& text) {
    return messages_.show(text, Buttons::YesNo, MB_ICONEXCLAMATION) == IDYES;
}

bool Win32InstallHost::askRetryCancel(const std::string& text) {
    return messages_.show(text, Buttons::RetryCancel, MB_ICONEXCLAMATION) == IDRETRY;
}

void Win32InstallHost::setStatus(const std::string& text) {
    // Without a page (a silent run) there is nothing to show and no window to serve.
    if (!view_)
        return;
    view_->setStatus(text);
    fw::pumpWaitingMessages();
}

void Win32InstallHost::setProgress(int percent) {
    if (view_)
        view_->setProgress(percent);
}

}  // namespace vortix

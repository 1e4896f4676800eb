#include "installer/common/win32_system_libraries.h"

namespace vortix {

void searchLibrariesInSystemDirectoryOnly() {
    // Not on every system this program runs on: looked up rather than imported.
    using SetDefault = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto setDefault = kernel ? reinterpret_cast<SetDefault>(reinterpret_cast<void*>(
                                   GetProcAddress(kernel, "SetDefaultDllDirectories")))
                             : nullptr;
    if (setDefault)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The current directory leaves the search where the system still uses one.
    SetDllDirectoryA("");
}

HMODULE loadSystemLibrary(const char* name) {
    char directory[MAX_PATH] = "";
    UINT length = GetSystemDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory)
        return nullptr;
    std::string path(directory, length);
    if (path.back() != '\\')
        path.push_back('\\');
    return LoadLibraryA((path + name).c_str());
}

const VersionLibrary* versionLibrary() {
    static const VersionLibrary* loaded = []() -> const VersionLibrary* {
        static VersionLibrary library;
        HMODULE module = loadSystemLibrary("version.dll");
        if (!module)
            return nullptr;
        library.infoSize = reinterpret_cast<VersionLibrary::SizeFunction>(
            reinterpret_cast<void*>(GetProcAddress(module, "GetFileVersionInfoSizeA")));
        library.info = reinterpret_cast<VersionLibrary::InfoFunction>(
            reinterpret_cast<void*>(GetProcAddress(module, "GetFileVersionInfoA")));
        library.query = reinterpret_cast<VersionLibrary::QueryFunction>(
            reinterpret_cast<void*>(GetProcAddress(module, "VerQueryValueA")));
        if (!library.infoSize || !library.info || !library.query)
            return nullptr;
        return &library;
    }();
    return loaded;
}

}  // namespace vortix

// Libraries the setup program and the uninstaller load, from the system directory
// only. Both run elevated from folders anyone can write to (a downloads folder, the
// temporary directory during a rollback): a DLL planted there must never be loaded.
// So neither imports a library that is not one of the system's known DLLs at load
// time; such a library (version.dll) is loaded here by its full system path.
#pragma once

#include <windows.h>

#include <string>

namespace vortix {

// Makes the system directory the only place libraries are searched for by name
// from now on, where the system can do that; the first thing each program does.
void searchLibrariesInSystemDirectoryOnly();

// The version-resource functions of the system's version.dll.
struct VersionLibrary {
    using SizeFunction = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    using InfoFunction = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    using QueryFunction = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    SizeFunction infoSize = nullptr;
    InfoFunction info = nullptr;
    QueryFunction query = nullptr;
};
// Loaded once; null when the library or one of its functions cannot be had.
const VersionLibrary* versionLibrary();

// A library of the system directory, loaded by its full path.
HMODULE loadSystemLibrary(const char* name);

}  // namespace vortix

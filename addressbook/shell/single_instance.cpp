#include "addressbook/shell/single_instance.h"

#include <cstdint>

#include "addressbook/contracts/settings_places.h"
#include "framework/application.h"

namespace ctlite {
namespace {

// The first copy's mapping, held for the whole run.
HANDLE sharedMemory = nullptr;

}  // namespace

CSingleInstance::CSingleInstance(UINT showCommand) : showCommand_(showCommand) {
    namedMutex_ = CreateMutexA(nullptr, FALSE, kInstanceMutex);
    memoryMutex_ = CreateMutexA(nullptr, FALSE, nullptr);
    // Held from here until the window is published (or this copy gives up), so
    // that a copy started in between finds the handle in place.
    if (namedMutex_)
        locked_ = WaitForSingleObject(namedMutex_, INFINITE) != WAIT_FAILED;
}

CSingleInstance::~CSingleInstance() {
    release();
    if (namedMutex_)
        CloseHandle(namedMutex_);
    if (memoryMutex_)
        CloseHandle(memoryMutex_);
}

void CSingleInstance::release() {
    if (locked_)
        ReleaseMutex(namedMutex_);
    locked_ = false;
}

std::string CSingleInstance::SharedMemoryName() {
    return "CSingleInstance_MMF_" + fw::Application::current().name();
}

bool CSingleInstance::IsAnotherInstanceRunning() const {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, SharedMemoryName().c_str());
    if (!mapping)
        return false;
    CloseHandle(mapping);
    return true;
}

bool CSingleInstance::PublishMainWindow(HWND mainWindow) {
    // The lock goes whatever happens, or later copies would wait for ever.
    if (IsAnotherInstanceRunning()) {
        release();
        return false;
    }
    sharedMemory = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4,
                                      SharedMemoryName().c_str());
    if (!sharedMemory) {
        release();
        return false;
    }
    if (void* view = MapViewOfFile(sharedMemory, FILE_MAP_ALL_ACCESS, 0, 0, 4)) {
        WaitForSingleObject(memoryMutex_, INFINITE);
        *static_cast<std::uint32_t*>(view) =
            static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(mainWindow));
        ReleaseMutex(memoryMutex_);
        UnmapViewOfFile(view);
    }
    release();
    return true;
}

bool CSingleInstance::ActivateOtherInstance() {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, SharedMemoryName().c_str());
    if (!mapping)
        return false;
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 4);
    if (!view) {
        CloseHandle(mapping);
        release();
        return false;
    }
    WaitForSingleObject(memoryMutex_, INFINITE);
    auto handle =
        reinterpret_cast<HWND>(static_cast<std::uintptr_t>(*static_cast<std::uint32_t*>(view)));
    ReleaseMutex(memoryMutex_);
    if (handle) {
        // The first copy may take the foreground itself, and shows itself through its
        // own steps (a locked book asks for its password; its tray icon goes).
        DWORD process = 0;
        GetWindowThreadProcessId(handle, &process);
        AllowSetForegroundWindow(process);
        HWND popup = GetLastActivePopup(handle);
        SetForegroundWindow(popup ? popup : handle);
        PostMessageA(handle, WM_COMMAND, MAKEWPARAM(showCommand_, 0), 0);
    }
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return handle != nullptr;
}

}  // namespace ctlite

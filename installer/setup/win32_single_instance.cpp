#include "installer/setup/win32_single_instance.h"

#include <cstdint>
#include <cstring>

#include "installer/setup/win32_setup_window.h"

namespace vortix {

namespace {

// What the shared block holds: the handle as a 64-bit number, so that 32-bit and
// 64-bit builds of the setup program read each other's.
struct PublishedWindow {
    std::uint64_t handle;
};

// A "\" in an object's name reads as a namespace, and the name is refused.
std::string withoutBackslashes(std::string name) {
    for (char& c : name)
        if (c == '\\')
            c = '_';
    return name;
}

bool isSetupWindow(HWND window) {
    char className[64] = "";
    return window && IsWindow(window) && GetClassNameA(window, className, sizeof className) &&
           std::strcmp(className, SetupWindow::kClassName) == 0;
}

HWND publishedWindow(const std::string& productName) {
    HANDLE block =
        OpenFileMappingA(FILE_MAP_READ, FALSE, SetupInstance::windowBlockName(productName).c_str());
    if (!block)
        return nullptr;
    HWND window = nullptr;
    if (void* view = MapViewOfFile(block, FILE_MAP_READ, 0, 0, sizeof(PublishedWindow))) {
        PublishedWindow published{};
        std::memcpy(&published, view, sizeof published);
        window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(published.handle));
        UnmapViewOfFile(view);
    }
    CloseHandle(block);
    return isSetupWindow(window) ? window : nullptr;
}

}  // namespace

SetupInstance::~SetupInstance() {
    if (block_)
        CloseHandle(block_);
    if (mutex_)
        CloseHandle(mutex_);
}

std::string SetupInstance::windowBlockName(const std::string& productName) {
    return withoutBackslashes(productName + "window");
}

bool SetupInstance::claim(const std::string& productName) {
    std::string name = productName + "mutex";
    mutex_ = CreateMutexA(nullptr, TRUE, name.c_str());
    if (!mutex_)
        mutex_ = CreateMutexA(nullptr, TRUE, withoutBackslashes(name).c_str());
    return !mutex_ || GetLastError() != ERROR_ALREADY_EXISTS;
}

void SetupInstance::publish(const std::string& productName, HWND window) {
    if (!block_)
        block_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    sizeof(PublishedWindow), windowBlockName(productName).c_str());
    if (!block_)
        return;
    if (void* view = MapViewOfFile(block_, FILE_MAP_WRITE, 0, 0, sizeof(PublishedWindow))) {
        PublishedWindow published{
            static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(window))};
        std::memcpy(view, &published, sizeof published);
        UnmapViewOfFile(view);
    }
}

bool SetupInstance::bringForwardRunning(const std::string& productName,
                                        const std::string& packageTitle) {
    HWND running = publishedWindow(productName);
    if (!running)
        running = FindWindowA(SetupWindow::kClassName, packageTitle.c_str());
    if (!running)
        return false;
    ShowWindow(running, IsIconic(running) ? SW_SHOWMAXIMIZED : SW_SHOW);
    SetForegroundWindow(running);
    return true;
}

}  // namespace vortix

// Keeps Contavo Lite to one running copy: a second copy brings the first one's
// window forward and ends.
#pragma once

#include <windows.h>

#include <string>

namespace ctlite {

class CSingleInstance {
public:
    // `showCommand`: the command that a second copy sends the first copy's window,
    // which then shows itself as from its tray icon.
    explicit CSingleInstance(UINT showCommand);
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    bool IsAnotherInstanceRunning() const;
    // Makes the shared memory and writes the main window's handle into it.
    bool PublishMainWindow(HWND mainWindow);
    // Brings the other copy's window forward; true when its handle was found.
    bool ActivateOtherInstance();
    static std::string SharedMemoryName();

private:
    void release();

    HANDLE namedMutex_ = nullptr;
    HANDLE memoryMutex_ = nullptr;
    UINT showCommand_;
    bool locked_ = false;
};

}  // namespace ctlite

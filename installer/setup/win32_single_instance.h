// One running setup program per product. The first copy owns the mutex named
// after the product and publishes its main window's handle in a small block of
// shared memory named after the product too; a second copy finds the window
// there, whatever title the language set has given it, brings it forward and ends.
#pragma once

#include <windows.h>

#include <string>

namespace vortix {

class SetupInstance {
public:
    SetupInstance() = default;
    SetupInstance(const SetupInstance&) = delete;
    SetupInstance& operator=(const SetupInstance&) = delete;
    ~SetupInstance();

    // Takes the product's mutex ("<product>mutex"); false when another copy holds it.
    bool claim(const std::string& productName);
    // Makes `window` the one later copies bring forward.
    void publish(const std::string& productName, HWND window);

    // Restores (maximised when it was minimised) and brings forward the main window
    // of the copy that runs: the published one, else a window of class
    // "VortixInstaller" with the package's own title (a copy that has not
    // published yet). False when there is none.
    static bool bringForwardRunning(const std::string& productName,
                                    const std::string& packageTitle);

    // The name of the shared block of a product: "<product>window", each "\"
    // (which would name a namespace) made "_".
    static std::string windowBlockName(const std::string& productName);

private:
    HANDLE mutex_ = nullptr;
    HANDLE block_ = nullptr;
};

}  // namespace vortix

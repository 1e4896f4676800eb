// vxsetup: installs the package appended to this program.
#include <windows.h>

#include <commctrl.h>

#include "installer/common/win32_system_libraries.h"
#include "installer/setup/win32_setup_program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    vortix::searchLibrariesInSystemDirectoryOnly();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    vortix::SetupProgram program(instance, GetCommandLineA());
    return program.run();
}

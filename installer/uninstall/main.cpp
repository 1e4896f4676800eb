// vxuninst: removes one installation, as recorded in the log appended to this program.
#include <windows.h>

#include "installer/common/win32_system_libraries.h"
#include "installer/uninstall/uninstall_run.h"
#include "installer/uninstall/win32_host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    vortix::searchLibrariesInSystemDirectoryOnly();
    vortix::Win32Host host;
    vortix::UninstallHost tables = host.tables();
    return vortix::runUninstall(tables, vortix::parseCommandLine(GetCommandLineA()));
}

#include <windows.h>

#include "installer/setup/extract/temporary_files.h"
#include "installer/setup/extract/win32_system_temporary.h"

namespace vortix {

std::string systemTemporaryDirectory() {
    char path[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof path, path);
    return temporaryDirectory(n > 0 && n < sizeof path ? std::string(path, n) : std::string());
}

std::uint32_t systemTickCount() {
    return GetTickCount();
}

}  // namespace vortix

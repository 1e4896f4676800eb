#include "installer/common/uninstaller_name.h"

namespace vortix {

std::string uninstallerStem(std::string_view productName) {
    std::string stem(productName);
    for (char& c : stem)
        if (std::string_view(":/\\|*?\"<>").find(c) != std::string_view::npos)
            c = '_';
    return stem;
}

std::string uninstallerPath(std::string_view windowsDirectory, std::string_view productName) {
    std::string path(windowsDirectory);
    if (path.empty() || path.back() != '\\')
        path.push_back('\\');
    return path + uninstallerStem(productName) + " Uninstaller.exe";
}

std::string uninstallShortcutName(std::string_view productName) {
    return "Uninstall " + uninstallerStem(productName) + ".lnk";
}

}  // namespace vortix

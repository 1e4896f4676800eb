// Where the installed uninstaller lies and what its shortcut is called.
#pragma once

#include <string>
#include <string_view>

namespace vortix {

// The product name with each of  : / \ | * ? " < >  replaced by "_".
std::string uninstallerStem(std::string_view productName);
// windowsDirectory (a "\" added when missing) + stem + " Uninstaller.exe".
std::string uninstallerPath(std::string_view windowsDirectory, std::string_view productName);
// "Uninstall " + stem + ".lnk".
std::string uninstallShortcutName(std::string_view productName);

}  // namespace vortix

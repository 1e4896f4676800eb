// Where Contavo Lite keeps its own settings, which its clean-up program
// (addressbook/cleanup) removes when the user asks at the product's removal, and the
// mark by which the clean-up knows that the program is still running.
#pragma once

namespace ctlite {

// The private profile, in the Windows folder.
inline constexpr char kProfileFile[] = "ctlite.INI";
// Below HKEY_CURRENT_USER.
inline constexpr char kSettingsKeyPath[] = "SOFTWARE\\Contavo Lite";
// The start-up shortcut the Settings window makes, in the user's Start-up folder.
inline constexpr char kStartupShortcut[] = "Contavo Lite.lnk";
// The mutex every running copy of Contavo Lite holds open.
inline constexpr char kInstanceMutex[] = "ZQ_Instance_Checker_Mutex";

}  // namespace ctlite

// The plug-in library a setup package may carry, as the setup program binds it by
// name (LoadLibrary/GetProcAddress). For Win32 code only. Every entry point and
// callback is __stdcall; entry points are exported under their plain names, and
// any of them may be missing.
//
// Calls, in order:
//   EntryPoint0(main window, its drawing context)     once, at initialisation (not in
//                                                     silent runs: they have no window)
//   AdvancedEntry(callbacks)                           once, before the first stage
//   EntryPoint1 (stage 1), EntryPoint1_5 (stage 2, with the language),
//   EntryPoint2 .. EntryPoint9 (stages 3 .. 10), EntryPoint10 .. EntryPoint13
//   (stages 11 on), each with the main window, forwards as the wizard moves on and
//   backwards when the user goes back past the stage.
//   SystemInformation(page)                            when the system page shows
//   OnMessage(window, message, wParam, lParam)         every message of the main window
//                                                     once it is made (from before it
//                                                     shows until it closes), before the
//                                                     program handles it
//
// What the program catches: an exception in a stage entry point (EntryPoint1 to
// EntryPoint13) counts as a stage that shows nothing, whether it is a C++ exception
// of a library built with the same MinGW-w64 compiler (GCC's unwinder, caught by
// catch (...)) or a structured exception nothing in the library handles (an access
// violation, RaiseException, the C++ exceptions of other compilers, which are
// structured exceptions too): MinGW-w64's catch (...) does not see those (measured
// under Wine: RaiseException through catch (...) is unhandled), so the stage calls
// run under a guard of their own (win32_plugin_guard.h). In OnMessage only a C++
// exception is caught (the message is then left to the program): its calls come
// from inside the system's message dispatch, which must not be jumped out of.
// SystemInformation runs under the same guard; what it throws leaves the page as
// it stands. EntryPoint0 and AdvancedEntry are not guarded: an exception there
// ends the program.
#pragma once

#include <windows.h>

#define VXPLUGIN_API __stdcall

// A stage entry point's answers; anything else aborts the installation.
#define VXPLUGIN_GO_ON 1
#define VXPLUGIN_GO_BACK 2

// The direction argument of the stage entry points.
#define VXPLUGIN_FORWARD 0
#define VXPLUGIN_BACKWARD 1

// Results of the callbacks.
#define VXPLUGIN_OK 1
#define VXPLUGIN_BAD_ARGUMENT (-1)  // empty argument, or a root outside the four handles
#define VXPLUGIN_FAILED (-2)

// The setup program's calls a plug-in may make from AdvancedEntry on, until the
// program ends. Roots are HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE
// and HKEY_USERS. What is recorded reaches the uninstall log.
typedef struct VxPluginCallbacks {
    DWORD size;  // sizeof(VxPluginCallbacks) of the program; later versions only add
    // An installed file, removed by the uninstaller.
    int(VXPLUGIN_API* recordFile)(const char* path);
    // Creates the directory with its parents, quietly; those created are recorded.
    int(VXPLUGIN_API* createDirectory)(const char* path);
    // A key, deleted by the uninstaller.
    int(VXPLUGIN_API* recordKey)(HKEY root, const char* keyPath);
    // Adds 1 to the file's SharedDLLs count and records it as shared.
    int(VXPLUGIN_API* countSharedFile)(const char* path);
    // A value, deleted by the uninstaller; an empty value name is a bad argument.
    int(VXPLUGIN_API* recordValue)(HKEY root, const char* keyPath, const char* valueName);
    // Backs the file up; the uninstaller puts it back.
    int(VXPLUGIN_API* backUpFile)(const char* path);
    // The text of a variable ("<InstallDir>", a user variable, ...) copied into
    // buffer (NUL-terminated). FAILED when the name is unknown or the text does not
    // fit in size bytes.
    int(VXPLUGIN_API* getVariable)(const char* name, char* buffer, DWORD size);
    // Sets a numeric user variable the plug-in may set, or makes a new one.
    // BAD_ARGUMENT for an empty name or a variable of another kind.
    int(VXPLUGIN_API* setVariable)(const char* name, int value);
    // The text with every variable replaced, as the setup program expands its own
    // strings; FAILED when it does not fit in size bytes.
    int(VXPLUGIN_API* expandText)(const char* text, char* buffer, DWORD size);
    // A message box through the setup program (its caption; the fixed answers of a
    // silent run). Returns the button pressed (IDOK, IDYES, ...).
    int(VXPLUGIN_API* messageBox)(const char* text, UINT type);
} VxPluginCallbacks;

// Returns VXPLUGIN_OK to go on; any other result aborts the installation.
typedef int(VXPLUGIN_API* PFN_AdvancedEntry)(const VxPluginCallbacks* callbacks);
// The result is ignored.
typedef int(VXPLUGIN_API* PFN_EntryPoint0)(HWND mainWindow, HDC dc);
// EntryPoint1 and EntryPoint2 .. EntryPoint13.
typedef int(VXPLUGIN_API* PFN_EntryPoint)(HWND mainWindow, int direction);
// languageId: the chosen language set's number.
typedef int(VXPLUGIN_API* PFN_EntryPoint1_5)(HWND mainWindow, DWORD languageId, int direction);
// The result is ignored.
typedef int(VXPLUGIN_API* PFN_SystemInformation)(HWND page);
// Nonzero when the plug-in has handled the message: the program then leaves it,
// and the message's result is 0.
typedef int(VXPLUGIN_API* PFN_OnMessage)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A stand-in for a setup package's plug-in library in tests of the setup program.
// Every call appends a line to the log: the entry point, its arguments and its
// result ("EntryPoint5 0x1a2b 0 -> 1"); the callbacks it makes follow, indented.
//
// Steering (environment variables, read at each call; NAME is an entry point):
//   VX_PLUGIN_RESULT_NAME=n       the entry point returns n (default 1; OnMessage 0);
//                                 "raise" raises a Win32 exception (code 0xE0564C58)
//   VX_PLUGIN_HANDLES=m,n,...     OnMessage returns 1 (handled) for these message
//                                 numbers (decimal), whatever VX_PLUGIN_RESULT_OnMessage says
//   VX_PLUGIN_CALLS_NAME=script   callbacks to make during that entry point, after
//                                 AdvancedEntry has handed the table over. Calls are
//                                 separated by ";", arguments by "|":
//     recordFile|PATH   createDirectory|PATH   countSharedFile|PATH   backUpFile|PATH
//     recordKey|ROOT|KEY   recordValue|ROOT|KEY|VALUE   setVariable|NAME|NUMBER
//     getVariable|NAME   expandText|TEXT   messageBox|TEXT|TYPE
//   ROOT is HKCR, HKCU, HKLM, HKU or a handle in signed decimal (-2147483646).
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "installer/setup/addons/plugin_library.h"
#include "tests/doubles/double_log.h"

namespace {

using doubles::quoted;

constexpr DWORD kRaisedCode = 0xE0564C58;

VxPluginCallbacks table{};
bool haveTable = false;

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

HKEY rootOf(const std::string& name) {
    if (name == "HKCR")
        return HKEY_CLASSES_ROOT;
    if (name == "HKCU")
        return HKEY_CURRENT_USER;
    if (name == "HKLM")
        return HKEY_LOCAL_MACHINE;
    if (name == "HKU")
        return HKEY_USERS;
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(std::strtol(name.c_str(), nullptr, 10)));
}

std::string handleText(const void* handle) {
    std::ostringstream text;
    text << "0x" << std::hex << reinterpret_cast<std::uintptr_t>(handle);
    return text.str();
}

// Whether the program's table is long enough to hold the member at `offset`.
bool offered(std::size_t offset) {
    return haveTable && table.size >= offset + sizeof(void*);
}

// Makes one scripted callback and logs it with its result.
void call(const std::string& script) {
    std::vector<std::string> a = split(script, '|');
    a.resize(4);
    const std::string& what = a[0];
    std::string line = "  " + script + " -> ";
    char buffer[1024] = "";
    int result = 0;
    if (what == "recordFile" && offered(offsetof(VxPluginCallbacks, recordFile)) &&
        table.recordFile)
        result = table.recordFile(a[1].c_str());
    else if (what == "createDirectory" && offered(offsetof(VxPluginCallbacks, createDirectory)) &&
             table.createDirectory)
        result = table.createDirectory(a[1].c_str());
    else if (what == "recordKey" && offered(offsetof(VxPluginCallbacks, recordKey)) &&
             table.recordKey)
        result = table.recordKey(rootOf(a[1]), a[2].c_str());
    else if (what == "countSharedFile" && offered(offsetof(VxPluginCallbacks, countSharedFile)) &&
             table.countSharedFile)
        result = table.countSharedFile(a[1].c_str());
    else if (what == "recordValue" && offered(offsetof(VxPluginCallbacks, recordValue)) &&
             table.recordValue)
        result = table.recordValue(rootOf(a[1]), a[2].c_str(), a[3].c_str());
    else if (what == "backUpFile" && offered(offsetof(VxPluginCallbacks, backUpFile)) &&
             table.backUpFile)
        result = table.backUpFile(a[1].c_str());
    else if (what == "setVariable" && offered(offsetof(VxPluginCallbacks, setVariable)) &&
             table.setVariable)
        result = table.setVariable(a[1].c_str(), std::atoi(a[2].c_str()));
    else if (what == "getVariable" && offered(offsetof(VxPluginCallbacks, getVariable)) &&
             table.getVariable)
        result = table.getVariable(a[1].c_str(), buffer, sizeof buffer);
    else if (what == "expandText" && offered(offsetof(VxPluginCallbacks, expandText)) &&
             table.expandText)
        result = table.expandText(a[1].c_str(), buffer, sizeof buffer);
    else if (what == "messageBox" && offered(offsetof(VxPluginCallbacks, messageBox)) &&
             table.messageBox)
        result = table.messageBox(a[1].c_str(), static_cast<UINT>(std::atoi(a[2].c_str())));
    else {
        doubles::logLine(line + (haveTable ? "not offered" : "no callbacks"));
        return;
    }
    line += std::to_string(result);
    if (what == "getVariable" || what == "expandText")
        line += " " + quoted(buffer);
    doubles::logLine(line);
}

// Logs the entry point, makes its scripted callbacks and gives its steered result.
int answer(const char* name, const std::string& arguments, int fallback) {
    std::string steered = doubles::environment(std::string("VX_PLUGIN_RESULT_") + name);
    bool raise = steered == "raise";
    int result = steered.empty() || raise ? fallback : std::atoi(steered.c_str());
    doubles::logLine(std::string(name) + " " + arguments + " -> " +
                     (raise ? std::string("raise") : std::to_string(result)));
    std::string script = doubles::environment(std::string("VX_PLUGIN_CALLS_") + name);
    if (!script.empty())
        for (const std::string& one : split(script, ';'))
            call(one);
    if (raise)
        RaiseException(kRaisedCode, 0, 0, nullptr);
    return result;
}

int stage(const char* name, HWND window, int direction) {
    return answer(name, handleText(window) + " " + std::to_string(direction), VXPLUGIN_GO_ON);
}

}  // namespace

extern "C" {

int VXPLUGIN_API AdvancedEntry(const VxPluginCallbacks* callbacks) {
    haveTable = callbacks != nullptr;
    table = VxPluginCallbacks{};
    if (callbacks)
        std::memcpy(&table, callbacks, std::min<std::size_t>(callbacks->size, sizeof table));
    return answer("AdvancedEntry",
                  callbacks ? "size=" + std::to_string(callbacks->size) : std::string("null"),
                  VXPLUGIN_OK);
}

int VXPLUGIN_API EntryPoint0(HWND mainWindow, HDC dc) {
    return answer("EntryPoint0", handleText(mainWindow) + " " + handleText(dc), 1);
}

int VXPLUGIN_API EntryPoint1(HWND w, int d) {
    return stage("EntryPoint1", w, d);
}

int VXPLUGIN_API EntryPoint1_5(HWND mainWindow, DWORD languageId, int direction) {
    return answer(
        "EntryPoint1_5",
        handleText(mainWindow) + " " + std::to_string(languageId) + " " + std::to_string(direction),
        VXPLUGIN_GO_ON);
}

int VXPLUGIN_API EntryPoint2(HWND w, int d) {
    return stage("EntryPoint2", w, d);
}
int VXPLUGIN_API EntryPoint3(HWND w, int d) {
    return stage("EntryPoint3", w, d);
}
int VXPLUGIN_API EntryPoint4(HWND w, int d) {
    return stage("EntryPoint4", w, d);
}
int VXPLUGIN_API EntryPoint5(HWND w, int d) {
    return stage("EntryPoint5", w, d);
}
int VXPLUGIN_API EntryPoint6(HWND w, int d) {
    return stage("EntryPoint6", w, d);
}
int VXPLUGIN_API EntryPoint7(HWND w, int d) {
    return stage("EntryPoint7", w, d);
}
int VXPLUGIN_API EntryPoint8(HWND w, int d) {
    return stage("EntryPoint8", w, d);
}
int VXPLUGIN_API EntryPoint9(HWND w, int d) {
    return stage("EntryPoint9", w, d);
}
int VXPLUGIN_API EntryPoint10(HWND w, int d) {
    return stage("EntryPoint10", w, d);
}
int VXPLUGIN_API EntryPoint11(HWND w, int d) {
    return stage("EntryPoint11", w, d);
}
int VXPLUGIN_API EntryPoint12(HWND w, int d) {
    return stage("EntryPoint12", w, d);
}
int VXPLUGIN_API EntryPoint13(HWND w, int d) {
    return stage("EntryPoint13", w, d);
}

int VXPLUGIN_API SystemInformation(HWND page) {
    return answer("SystemInformation", handleText(page), 1);
}

int VXPLUGIN_API OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    int result = answer("OnMessage",
                        handleText(window) + " " + std::to_string(message) + " " +
                            std::to_string(wParam) + " " + std::to_string(lParam),
                        0);
    for (const std::string& handled : split(doubles::environment("VX_PLUGIN_HANDLES"), ','))
        if (!handled.empty() && std::strtoul(handled.c_str(), nullptr, 10) == message) {
            doubles::logLine("  handled " + std::to_string(message));
            return 1;
        }
    return result;
}

}  // extern "C"

// The program's executable name without its folder and extension, the title of its
// internal failure reports.
#pragma once

#include <windows.h>

#include <string>

namespace ctlite {

inline std::string programName() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string name = path;
    name = name.substr(name.find_last_of("\\/") + 1);
    return name.substr(0, name.rfind('.'));
}

}  // namespace ctlite

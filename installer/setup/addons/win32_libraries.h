// The add-on libraries a package may carry, each extracted to a temporary ".DLL"
// file and loaded by that full path; entry points are looked up by name.
#pragma once

#include <windows.h>

#include <string>

#include "installer/setup/addons/mp3_library.h"
#include "installer/setup/addons/plugin_library.h"
#include "outside/jpeg/vxjpeg.h"

namespace vortix {

class LoadedLibrary {
public:
    LoadedLibrary() = default;
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    ~LoadedLibrary() { release(); }

    bool load(const std::string& fullPath);
    void release();
    bool loaded() const { return module_ != nullptr; }

protected:
    template <class F>
    F entry(const char* name) const {
        return module_ ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)))
                       : nullptr;
    }

private:
    HMODULE module_ = nullptr;
};

struct Mp3Library : LoadedLibrary {
    PFN_MP3Close close = nullptr;
    PFN_MP3DeInit deInit = nullptr;
    PFN_MP3GetCurrentPos getCurrentPos = nullptr;
    PFN_MP3GetLength getLength = nullptr;
    PFN_MP3GetMPEG_Args getMpegArgs = nullptr;
    PFN_MP3GetPlayer getPlayer = nullptr;
    PFN_MP3GetPlayerMode getPlayerMode = nullptr;
    PFN_MP3Init init = nullptr;
    PFN_MP3Open open = nullptr;
    PFN_MP3Pause pause = nullptr;
    PFN_MP3Play play = nullptr;
    PFN_MP3SetDevice setDevice = nullptr;
    PFN_MP3SetExternalValues setExternalValues = nullptr;
    PFN_MP3SetPriority setPriority = nullptr;
    PFN_MP3Stop stop = nullptr;
    // Loads and looks every entry point up; false unless all the program calls are there.
    bool bind(const std::string& fullPath);
};

struct JpegLibrary : LoadedLibrary {
    PFN_JPGToBMP toBmp = nullptr;
    PFN_JPGToBMPEx toBmpEx = nullptr;
    PFN_GetDllVersion version = nullptr;
    PFN_Blit blit = nullptr;
    bool bind(const std::string& fullPath);
};

struct PluginLibrary : LoadedLibrary {
    PFN_AdvancedEntry advancedEntry = nullptr;
    PFN_EntryPoint0 entryPoint0 = nullptr;
    PFN_EntryPoint1_5 entryPoint1_5 = nullptr;
    // Stage entry points by stage: [1] EntryPoint1, [3] .. [10] EntryPoint2 .. 9,
    // [11] .. [14] EntryPoint10 .. 13; the others are null.
    PFN_EntryPoint stage[15] = {};
    PFN_SystemInformation systemInformation = nullptr;
    PFN_OnMessage onMessage = nullptr;
    // Any entry point may be missing; false only when the library does not load.
    bool bind(const std::string& fullPath);
};

}  // namespace vortix

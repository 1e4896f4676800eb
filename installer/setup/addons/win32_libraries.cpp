#include "installer/setup/addons/win32_libraries.h"

namespace vortix {

bool LoadedLibrary::load(const std::string& fullPath) {
    release();
    // The full path only: the library is never looked for elsewhere, and the
    // libraries it imports come from the system folder alone, never from the
    // temporary folder it was extracted to (where anyone could have put one).
    module_ = LoadLibraryExA(fullPath.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // A system without these search flags refuses them: its own order, which
    // leaves out the library's folder, is the next best.
    if (!module_ && GetLastError() == ERROR_INVALID_PARAMETER)
        module_ = LoadLibraryExA(fullPath.c_str(), nullptr, 0);
    return module_ != nullptr;
}

void LoadedLibrary::release() {
    if (module_)
        FreeLibrary(module_);
    module_ = nullptr;
}

bool Mp3Library::bind(const std::string& fullPath) {
    if (!load(fullPath))
        return false;
    close = entry<PFN_MP3Close>("MP3Close");
    deInit = entry<PFN_MP3DeInit>("MP3DeInit");
    getCurrentPos = entry<PFN_MP3GetCurrentPos>("MP3GetCurrentPos");
    getLength = entry<PFN_MP3GetLength>("MP3GetLength");
    getMpegArgs = entry<PFN_MP3GetMPEG_Args>("MP3GetMPEG_Args");
    getPlayer = entry<PFN_MP3GetPlayer>("MP3GetPlayer");
    getPlayerMode = entry<PFN_MP3GetPlayerMode>("MP3GetPlayerMode");
    init = entry<PFN_MP3Init>("MP3Init");
    open = entry<PFN_MP3Open>("MP3Open");
    pause = entry<PFN_MP3Pause>("MP3Pause");
    play = entry<PFN_MP3Play>("MP3Play");
    setDevice = entry<PFN_MP3SetDevice>("MP3SetDevice");
    setExternalValues = entry<PFN_MP3SetExternalValues>("MP3SetExternalValues");
    setPriority = entry<PFN_MP3SetPriority>("MP3SetPriority");
    stop = entry<PFN_MP3Stop>("MP3Stop");
    return close && deInit && getPlayerMode && init && open && play && setDevice &&
           setExternalValues && setPriority && stop;
}

bool JpegLibrary::bind(const std::string& fullPath) {
    if (!load(fullPath))
        return false;
    toBmp = entry<PFN_JPGToBMP>(VXJPEG_JPGTOBMP);
    toBmpEx = entry<PFN_JPGToBMPEx>(VXJPEG_JPGTOBMPEX);
    version = entry<PFN_GetDllVersion>(VXJPEG_GETDLLVERSION);
    blit = entry<PFN_Blit>(VXJPEG_BLIT);
    return toBmp != nullptr;
}

bool PluginLibrary::bind(const std::string& fullPath) {
    if (!load(fullPath))
        return false;
    advancedEntry = entry<PFN_AdvancedEntry>("AdvancedEntry");
    entryPoint0 = entry<PFN_EntryPoint0>("EntryPoint0");
    entryPoint1_5 = entry<PFN_EntryPoint1_5>("EntryPoint1_5");
    stage[1] = entry<PFN_EntryPoint>("EntryPoint1");
    for (int n = 2; n <= 13; ++n) {
        std::string name = "EntryPoint" + std::to_string(n);
        stage[n + 1] = entry<PFN_EntryPoint>(name.c_str());
    }
    systemInformation = entry<PFN_SystemInformation>("SystemInformation");
    onMessage = entry<PFN_OnMessage>("OnMessage");
    return true;
}

}  // namespace vortix

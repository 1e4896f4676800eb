#include <windows.h>

#include "installer/setup/variables/win32_system_facts.h"

#include <cpuid.h>
#include <shlobj.h>
#include <x86intrin.h>

#include <cstdio>
#include <deque>
#include <vector>

#include "installer/common/win32_registry.h"
#include "installer/common/win32_system_libraries.h"
#include "installer/setup/variables/processor_type.h"
#include "installer/setup/variables/win32_directx.h"

namespace vortix {
namespace {

// A Win32 function that fills a buffer and returns the length it needs when the
// buffer is too small (GetWindowsDirectory and the like).
template <typename Fill>
std::string filled(Fill fill) {
    std::vector<char> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::string();
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        buffer.resize(length + 1);
    }
    return std::string();
}

// The root of one of the kRoot... handle values; nothing for any other value.
std::optional<RegistryRoot> registryRoot(std::uint32_t root) {
    switch (root) {
        case kRootClassesRoot: return RegistryRoot::ClassesRoot;
        case kRootCurrentUser: return RegistryRoot::CurrentUser;
        case kRootLocalMachine: return RegistryRoot::LocalMachine;
        case kRootUsers: return RegistryRoot::Users;
        default: return std::nullopt;
    }
}

// Keeps the system from asking for a disk in an empty drive while files are looked for.
class NoDiskPrompts {
public:
    NoDiskPrompts() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~NoDiskPrompts() { SetErrorMode(previous_); }
    NoDiskPrompts(const NoDiskPrompts&) = delete;
    NoDiskPrompts& operator=(const NoDiskPrompts&) = delete;

private:
    UINT previous_;
};

struct CpuId {
    unsigned a = 0, b = 0, c = 0, d = 0;
    bool ok = false;
};

CpuId cpuid(unsigned leaf) {
    CpuId r;
    r.ok = __get_cpuid(leaf, &r.a, &r.b, &r.c, &r.d) != 0;
    return r;
}

// Whether the cache descriptors (leaf 2) hold 0x40: no second-level cache.
bool noSecondLevelCache() {
    CpuId r = cpuid(2);
    if (!r.ok)
        return false;
    const unsigned registers[] = {r.a & 0xFFFFFF00u, r.b, r.c, r.d};
    for (unsigned value : registers) {
        if (value & 0x80000000u)
            continue;  // this register holds no descriptors
        for (int shift = 0; shift < 32; shift += 8)
            if (((value >> shift) & 0xFF) == 0x40)
                return true;
    }
    return false;
}

}  // namespace

std::string Win32SystemFacts::folder(SystemFolder which) {
    int csidl = -1;
    switch (which) {
        case SystemFolder::Programs: csidl = CSIDL_PROGRAMS; break;
        case SystemFolder::StartUp: csidl = CSIDL_STARTUP; break;
        case SystemFolder::Desktop: csidl = CSIDL_DESKTOPDIRECTORY; break;
        case SystemFolder::Fonts: csidl = CSIDL_FONTS; break;
        case SystemFolder::StartMenu: csidl = CSIDL_STARTMENU; break;
        case SystemFolder::CommonPrograms: csidl = CSIDL_COMMON_PROGRAMS; break;
        case SystemFolder::CommonStartUp: csidl = CSIDL_COMMON_STARTUP; break;
        case SystemFolder::CommonDesktop: csidl = CSIDL_COMMON_DESKTOPDIRECTORY; break;
        case SystemFolder::CommonStartMenu: csidl = CSIDL_COMMON_STARTMENU; break;
        case SystemFolder::Windows:
            return filled([](char* b, DWORD n) { return GetWindowsDirectoryA(b, n); });
        case SystemFolder::System:
            return filled([](char* b, DWORD n) { return GetSystemDirectoryA(b, n); });
        case SystemFolder::Temp: return filled([](char* b, DWORD n) { return GetTempPathA(n, b); });
        case SystemFolder::SetupProgram: {
            std::string program = filled([](char* b, DWORD n) {
                DWORD length = GetModuleFileNameA(nullptr, b, n);
                return length >= n ? n : length;  // a cut name is reported as too long
            });
            std::size_t slash = program.rfind('\\');
            return slash == std::string::npos ? std::string() : program.substr(0, slash);
        }
    }
    char path[MAX_PATH + 1] = {};
    if (csidl < 0 || !SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE))
        return std::string();
    return path;
}

std::string Win32SystemFacts::shortPath(const std::string& path) {
    return filled([&](char* b, DWORD n) { return GetShortPathNameA(path.c_str(), b, n); });
}

OsVersion Win32SystemFacts::osVersion() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    OsVersion os;
    if (!GetVersionExA(&info))
        return os;
    os.ntFamily = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    os.major = info.dwMajorVersion;
    os.minor = info.dwMinorVersion;
    os.build = info.dwBuildNumber;
    return os;
}

std::string Win32SystemFacts::today() {
    char text[128] = {};
    int length =
        GetDateFormatA(LOCALE_SYSTEM_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, sizeof text);
    return length > 0 ? std::string(text) : std::string();
}

std::uint32_t Win32SystemFacts::cpuSpeedMhz() {
    const unsigned kTimeStampCounter = 1u << 4;
    LARGE_INTEGER frequency, start, end;
    if (!(cpuFlags() & kTimeStampCounter) || !QueryPerformanceFrequency(&frequency) ||
        frequency.QuadPart <= 0)
        return 0;
    HANDLE thread = GetCurrentThread();
    int priority = GetThreadPriority(thread);
    SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
    QueryPerformanceCounter(&start);
    unsigned long long cyclesStart = __rdtsc();
    Sleep(50);
    QueryPerformanceCounter(&end);
    unsigned long long cycles = __rdtsc() - cyclesStart;
    SetThreadPriority(thread, priority);
    double seconds = static_cast<double>(end.QuadPart - start.QuadPart) /
                     static_cast<double>(frequency.QuadPart);
    if (seconds <= 0)
        return 0;
    return static_cast<std::uint32_t>(static_cast<double>(cycles) / seconds / 1e6 + 0.5);
}

std::uint32_t Win32SystemFacts::cpuType() {
    CpuId vendorLeaf = cpuid(0);
    CpuId signature = cpuid(1);
    if (!vendorLeaf.ok || !signature.ok)
        return 0;
    char vendor[13] = {};
    const unsigned parts[] = {vendorLeaf.b, vendorLeaf.d, vendorLeaf.c};
    for (int i = 0; i < 12; ++i)
        vendor[i] = static_cast<char>((parts[i / 4] >> (8 * (i % 4))) & 0xFF);
    std::uint32_t family = (signature.a >> 8) & 0xF;
    std::uint32_t model = (signature.a >> 4) & 0xF;
    if (family == 0xF)
        family += (signature.a >> 20) & 0xFF;
    if (family == 6 || family >= 0xF)
        model += ((signature.a >> 16) & 0xF) << 4;
    return processorTypeCode(
        vendor, family, model,
        vendorLeaf.a >= 2 && family == 6 && model == 5 && noSecondLevelCache());
}

std::uint32_t Win32SystemFacts::cpuFlags() {
    CpuId signature = cpuid(1);
    return signature.ok ? signature.d : 0;
}

ScreenMode Win32SystemFacts::screen() {
    ScreenMode mode;
    HDC dc = GetDC(nullptr);
    if (!dc)
        return mode;
    mode.width = static_cast<std::uint32_t>(GetDeviceCaps(dc, HORZRES));
    mode.height = static_cast<std::uint32_t>(GetDeviceCaps(dc, VERTRES));
    mode.bitsPerPixel =
        static_cast<std::uint32_t>(GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES));
    ReleaseDC(nullptr, dc);
    return mode;
}

std::uint64_t Win32SystemFacts::physicalMemoryBytes() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

std::uint32_t Win32SystemFacts::directXVersion() {
    // Each later version brings an interface the earlier ones lack: they are asked
    // for one after another, and the libraries are loaded only for the question.
    ProbeLibrary ddraw("ddraw.dll");
    auto createDraw = ddraw.function<DirectDrawCreateFunction>("DirectDrawCreate");
    Held<IDirectDraw> draw;
    if (!createDraw || FAILED(createDraw(nullptr, draw.out(), nullptr)) || !draw)
        return 0;
    auto drawOffers = [&draw](REFIID iid) { return offers(draw.get(), iid); };
    if (!drawOffers(IID_IDirectDraw2))
        return 1;

    HINSTANCE program = GetModuleHandleA(nullptr);
    {
        ProbeLibrary dinput("dinput.dll");
        auto createInput = dinput.function<DirectInputCreateFunction>("DirectInputCreateA");
        Held<IUnknown> input;
        if (!createInput || FAILED(createInput(program, 0x0500, input.out(), nullptr)) || !input)
            return 2;
        if (!offers(input.get(), IID_IDirectInput2A))
            return 3;
    }
    {
        ProbeLibrary dinput8("dinput8.dll");
        auto create8 = dinput8.function<DirectInput8CreateFunction>("DirectInput8Create");
        Held<IUnknown> input8;
        if (create8 &&
            SUCCEEDED(create8(program, 0x0800, IID_IDirectInput8A, input8.voidOut(), nullptr)) &&
            input8)
            return 8;
    }
    if (!drawOffers(IID_IDirectDraw4))
        return 5;
    ProbeLibrary dmusic("dmusic.dll");
    if (!dmusic)
        return 6;
    std::uint32_t minor = 0;
    {
        // The DirectMusic object is made through COM, which this thread may not
        // have entered yet; it leaves again only if it entered here.
        HRESULT entered = CoInitialize(nullptr);
        Held<IUnknown> music;
        if (SUCCEEDED(CoCreateInstance(CLSID_DirectMusic, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IDirectMusic, music.voidOut())) &&
            music)
            minor = 1;
        music.reset();
        if (SUCCEEDED(entered))
            CoUninitialize();
    }
    if (!drawOffers(IID_IDirectDraw7))
        return (minor << 16) | 6;
    return 7;
}

bool Win32SystemFacts::registryKeyExists(std::uint32_t root, const std::string& key) {
    std::optional<RegistryRoot> known = registryRoot(root);
    if (!known)
        return false;
    Win32Registry registry;
    return static_cast<bool>(OpenedKey(registry, *known, key, KeyAccess::Read));
}

std::optional<RegistryValue> Win32SystemFacts::registryValue(std::uint32_t root,
                                                             const std::string& key,
                                                             const std::string& name) {
    std::optional<RegistryRoot> known = registryRoot(root);
    if (!known)
        return std::nullopt;
    Win32Registry registry;
    return readRegistryValue(registry, *known, key, name);
}

std::string Win32SystemFacts::expandEnvironment(const std::string& text) {
    DWORD size = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (size == 0)
        return text;
    std::string out(size, '\0');
    DWORD got = ExpandEnvironmentStringsA(text.c_str(), out.data(), size);
    if (got == 0 || got > size)
        return text;
    out.resize(got - 1);  // without its NUL
    return out;
}

std::string Win32SystemFacts::iniString(const std::string& file, const std::string& section,
                                        const std::string& key, const std::string& fallback) {
    std::vector<char> buffer(1024);
    for (;;) {
        DWORD length =
            GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                     static_cast<DWORD>(buffer.size()), file.c_str());
        if (length + 1 < buffer.size() || buffer.size() >= 65536)
            return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 4);
    }
}

std::int32_t Win32SystemFacts::iniNumber(const std::string& file, const std::string& section,
                                         const std::string& key, std::int32_t fallback) {
    return static_cast<std::int32_t>(
        GetPrivateProfileIntA(section.c_str(), key.c_str(), fallback, file.c_str()));
}

bool Win32SystemFacts::fileExists(const std::string& directory, const std::string& name) {
    NoDiskPrompts quiet;
    DWORD attributes = GetFileAttributesA((directory + name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> Win32SystemFacts::driveRoots() {
    std::string all = filled([](char* b, DWORD n) { return GetLogicalDriveStringsA(n, b); });
    std::vector<std::string> roots;
    for (std::size_t at = 0; at < all.size();) {
        std::size_t end = all.find('\0', at);
        if (end == std::string::npos)
            end = all.size();
        if (end > at)
            roots.push_back(all.substr(at, end - at));
        at = end + 1;
    }
    return roots;
}

std::optional<std::string> Win32SystemFacts::findFileBelow(const std::string& root,
                                                           const std::string& name) {
    NoDiskPrompts quiet;
    // Breadth first, so the shallowest copy is found; links are not followed, so a
    // junction that points upwards cannot make the search go round.
    std::deque<std::string> pending{root.empty() || root.back() == '\\' ? root : root + "\\"};
    while (!pending.empty()) {
        std::string directory = std::move(pending.front());
        pending.pop_front();
        if (fileExists(directory, name))
            return directory;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        do {
            std::string entry = found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && entry != "." &&
                entry != "..")
                pending.push_back(directory + entry + "\\");
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return std::nullopt;
}

}  // namespace vortix

#include <windows.h>

#include "installer/setup/probe/win32_machine_probe.h"

#include <mmsystem.h>

#include <cpuid.h>

#include <algorithm>
#include <cstring>

#include "installer/setup/source/volume_search.h"
#include "installer/setup/variables/win32_directx.h"

namespace vortix {

namespace {

constexpr std::uint32_t kMmxFlag = 1u << 23;
constexpr unsigned kThreeDNowFlag = 1u << 31;  // of the extended features

std::string processorVendor() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(0, &a, &b, &c, &d))
        return "UnknownVendr";
    char vendor[13] = {};
    std::memcpy(vendor, &b, 4);
    std::memcpy(vendor + 4, &d, 4);
    std::memcpy(vendor + 8, &c, 4);
    return vendor;
}

bool hasThreeDNow() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(0x80000000u, &a, &b, &c, &d) || a < 0x80000001u)
        return false;
    return __get_cpuid(0x80000001u, &a, &b, &c, &d) && (d & kThreeDNowFlag);
}

bool runsOnWin32s() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32s;
}

// A REG_DWORD value's number (stored least significant byte first).
std::optional<std::uint32_t> numberOf(const RegistryValue& value) {
    if (value.type != kRegistryTypeDword || value.data.size() < 4)
        return std::nullopt;
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i)
        number = (number << 8) | static_cast<unsigned char>(value.data[i]);
    return number;
}

// A registry value as the page shows it: a text up to its NUL, a number in decimal.
std::string valueText(const RegistryValue& value) {
    if (std::optional<std::uint32_t> number = numberOf(value))
        return std::to_string(*number);
    std::string text = value.data;
    std::size_t end = text.find('\0');
    return end == std::string::npos ? text : text.substr(0, end);
}

std::optional<std::string> installedSoftware(SystemFacts& facts, const RequiredSoftware& wanted) {
    std::string key = "Software\\" + wanted.key;
    if (!facts.registryKeyExists(kRootLocalMachine, key))
        return std::nullopt;
    for (const char* name : {"Version", "Installed"})
        if (std::optional<RegistryValue> value = facts.registryValue(kRootLocalMachine, key, name))
            return valueText(*value);
    return std::string();
}

std::vector<ScreenMode> displayModes() {
    std::vector<ScreenMode> modes;
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    // The same size and depth comes once for each refresh rate: it is listed once.
    for (DWORD n = 0; n < 4096 && EnumDisplaySettingsA(nullptr, n, &mode); ++n) {
        ScreenMode found{mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel};
        if (std::none_of(modes.begin(), modes.end(), [&](const ScreenMode& known) {
                return known.width == found.width && known.height == found.height &&
                       known.bitsPerPixel == found.bitsPerPixel;
            }))
            modes.push_back(found);
    }
    return modes;
}

// The sound outputs, MIDI outputs and joysticks, through the multimedia library
// loaded for the question.
struct MultimediaDevices {
    std::uint32_t waveOutputs = 0, midiOutputs = 0;
    bool joystick = false;
};

MultimediaDevices multimediaDevices(bool joystickWanted) {
    using Count = UINT(WINAPI*)();
    using Position = MMRESULT(WINAPI*)(UINT, JOYINFOEX*);
    MultimediaDevices found;
    ProbeLibrary winmm("winmm.dll");
    if (auto waves = winmm.function<Count>("waveOutGetNumDevs"))
        found.waveOutputs = waves();
    if (auto midis = winmm.function<Count>("midiOutGetNumDevs"))
        found.midiOutputs = midis();
    auto joysticks = winmm.function<Count>("joyGetNumDevs");
    auto position = winmm.function<Position>("joyGetPosEx");
    if (joystickWanted && joysticks && position) {
        UINT count = std::min<UINT>(joysticks(), 16);
        for (UINT id = 0; id < count && !found.joystick; ++id) {
            JOYINFOEX info = {};
            info.dwSize = sizeof info;
            info.dwFlags = JOY_RETURNALL;
            found.joystick = position(id, &info) == JOYERR_NOERROR;
        }
    }
    return found;
}

struct EnumeratedDevice {
    bool primary = true;  // the display device itself: no GUID
    GUID guid{};
    std::string description, driver;
};

BOOL WINAPI collectDevice(GUID* guid, LPSTR description, LPSTR driver, void* context, HMONITOR) {
    auto* devices = static_cast<std::vector<EnumeratedDevice>*>(context);
    EnumeratedDevice device;
    device.primary = guid == nullptr;
    if (guid)
        device.guid = *guid;
    device.description = description ? description : "";
    device.driver = driver ? driver : "";
    devices->push_back(device);
    return devices->size() < 16;
}

// Each DirectDraw device with its video memory, and its driver's name and version
// where the device can tell them (DirectX 6 on).
std::vector<DisplayAdapter> displayAdapters() {
    std::vector<DisplayAdapter> adapters;
    ProbeLibrary ddraw("ddraw.dll");
    auto enumerate = ddraw.function<DirectDrawEnumerateExFunction>("DirectDrawEnumerateExA");
    auto create = ddraw.function<DirectDrawCreateFunction>("DirectDrawCreate");
    if (!create)
        return adapters;
    std::vector<EnumeratedDevice> devices;
    if (!enumerate || FAILED(enumerate(collectDevice, &devices, DDENUM_ATTACHEDSECONDARYDEVICES)) ||
        devices.empty())
        devices.assign(1, EnumeratedDevice{});  // the display device alone
    for (EnumeratedDevice& device : devices) {
        Held<IDirectDraw> draw;
        if (FAILED(create(device.primary ? nullptr : &device.guid, draw.out(), nullptr)) || !draw)
            continue;
        DisplayAdapter adapter;
        adapter.description = device.description;
        adapter.driver = device.driver;
        DDCAPS caps = {};
        caps.dwSize = sizeof caps;
        if (SUCCEEDED(draw->GetCaps(&caps, nullptr)))
            adapter.videoMemoryBytes = caps.dwVidMemTotal;
        Held<IDirectDraw4> draw4;
        DDDEVICEIDENTIFIER identifier = {};
        if (SUCCEEDED(draw->QueryInterface(IID_IDirectDraw4, draw4.voidOut())) && draw4 &&
            SUCCEEDED(draw4->GetDeviceIdentifier(&identifier, 0))) {
            adapter.description = identifier.szDescription;
            adapter.driver = identifier.szDriver;
            const DWORD high = static_cast<DWORD>(identifier.liDriverVersion.HighPart);
            const DWORD low = identifier.liDriverVersion.LowPart;
            adapter.driverVersion[0] = HIWORD(high);
            adapter.driverVersion[1] = LOWORD(high);
            adapter.driverVersion[2] = HIWORD(low);
            adapter.driverVersion[3] = LOWORD(low);
        }
        adapters.push_back(adapter);
    }
    return adapters;
}

// The service pack a "CSDVersion" value gives: the high byte of its low word when
// the low word is 256 or more.
std::uint32_t servicePackOf(std::uint32_t csdVersion) {
    std::uint32_t low = csdVersion & 0xFFFF;
    return low >= 256 ? low >> 8 : 0;
}

}  // namespace

std::optional<std::uint64_t> freeSpaceOf(const std::string& path) {
    std::string root = driveRootOf(path);
    ULARGE_INTEGER available{};
    if (root.empty() || !GetDiskFreeSpaceExA(root.c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    return available.QuadPart;
}

bool measureDestination(MachineFacts& machine, const std::string& destination) {
    std::string drive = driveRootOf(destination);
    std::optional<std::uint64_t> free = freeSpaceOf(destination);
    bool changed = drive != machine.destinationDrive || free != machine.freeBytes;
    machine.destinationDrive = drive;
    machine.freeBytes = free;
    return changed;
}

MachineFacts probeMachine(SystemFacts& facts, const SystemRequirements& requirements,
                          const std::string& destination) {
    const std::uint32_t rows = requirements.rows;
    MachineFacts machine;
    machine.os = facts.osVersion();
    machine.win32s = runsOnWin32s();
    if (machine.os.ntFamily) {
        std::optional<RegistryValue> csd = facts.registryValue(
            kRootLocalMachine, "System\\CurrentControlSet\\Control\\Windows", "CSDVersion");
        if (std::optional<std::uint32_t> number = csd ? numberOf(*csd) : std::nullopt)
            machine.servicePack = servicePackOf(*number);
    }
    if (rows & kRowMemory)
        machine.memoryBytes = facts.physicalMemoryBytes();
    if (rows & kRowProcessor) {
        machine.processorVendor = processorVendor();
        machine.processorType = facts.cpuType();
        machine.mmx = (facts.cpuFlags() & kMmxFlag) != 0;
        machine.threeDNow = machine.processorVendor == "AuthenticAMD" && hasThreeDNow();
        machine.processorMhz = facts.cpuSpeedMhz();
    }
    if (rows & kRowDiskSpace)
        measureDestination(machine, destination);
    if (rows & kRowDirectX)
        machine.directX = facts.directXVersion();
    if (rows & kRowDisplayMode) {
        machine.screen = facts.screen();
        machine.modes = displayModes();
    }
    if (rows & (kRowWaveOutput | kRowMidiOutput | kRowJoystick)) {
        MultimediaDevices devices = multimediaDevices((rows & kRowJoystick) != 0);
        machine.waveOutputs = devices.waveOutputs;
        machine.midiOutputs = devices.midiOutputs;
        machine.joystick = devices.joystick;
    }
    if (rows & kRowDisplayAdapters)
        machine.adapters = displayAdapters();
    if (rows & kRowInstalledSoftware)
        for (const RequiredSoftware& wanted : requirements.software)
            machine.software.push_back(installedSoftware(facts, wanted));
    return machine;
}

}  // namespace vortix

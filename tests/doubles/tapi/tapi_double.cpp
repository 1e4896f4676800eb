// A stand-in for the system's telephony library (TAPI32.DLL) in tests of the dialer:
// modem lines that a test scripts. It exports the thirteen functions the dialer
// binds, delivers callbacks as the system does for lineInitialize (through a
// hidden window of the thread that initialised, so they arrive while that thread
// handles messages), and appends every call with its arguments to the log
// (VX_DOUBLE_LOG), one line each:
//   lineMakeCall 0x20000 "T5551234" 0 params=112,bearer=0x1,media=0x10,flags=0x2,mode=0x1,id=0
// tapi.h names six of them with an "A" (lineOpenA); the .def exports them by the
// plain names the dialer binds. Handles: the application 0x10001, device n's line 0x20000 + n,
// calls from 0x30001.
//
// Steering: TAPI_DOUBLE_SCRIPT, directives separated by ";" (numbers in hex):
//   device BEARER MEDIA FEATURES   one line device and its capabilities, in order
//   address FEATURES               address 0's features (default 0x2, make-call)
//   states S@MS,S/MODE@MS,...      the call states after lineMakeCall, each MS after
//                                  the one before; MODE goes with a disconnect. The
//                                  Nth call of the process takes the Nth "states"
//                                  (the last one for the calls after it)
//   fail NAME=RESULT               every call of NAME returns RESULT
//   fillnothing NAME,NAME          those return 0 and write none of their results
// Each call of lineDrop sends the call to idle; lineDeallocateCall, lineClose and
// lineShutdown cancel what was still to come for their calls.
#include <windows.h>
// (after windows.h)
#include <tapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/doubles/double_log.h"

namespace {

using doubles::environment;
using doubles::logLine;
using doubles::quoted;

constexpr DWORD kLineApp = 0x10001;
constexpr DWORD kFirstLine = 0x20000;
constexpr DWORD kFirstCall = 0x30001;

struct Device {
    DWORD bearer = 0, media = 0, features = 0;
};

struct Step {
    DWORD state = 0, mode = 0, delay = 0;
};

struct Script {
    std::vector<Device> devices;
    DWORD addressFeatures = LINEADDRFEATURE_MAKECALL;
    std::vector<std::vector<Step>> sequences;
    std::map<std::string, LONG> failures;
    std::string fillNothing;
};

std::string hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
    return text;
}

DWORD number(const std::string& text) {
    return std::strtoul(text.c_str(), nullptr, 16);
}

Script readScript() {
    Script script;
    std::stringstream directives(environment("TAPI_DOUBLE_SCRIPT"));
    std::string directive;
    while (std::getline(directives, directive, ';')) {
        std::istringstream words(directive);
        std::string verb, a, b, c;
        words >> verb >> a >> b >> c;
        if (verb == "device") {
            script.devices.push_back({number(a), number(b), number(c)});
        } else if (verb == "address") {
            script.addressFeatures = number(a);
        } else if (verb == "states") {
            std::stringstream steps(a);
            std::string step;
            script.sequences.emplace_back();
            while (std::getline(steps, step, ',')) {
                Step s;
                std::size_t at = step.find('@'), slash = step.find('/');
                s.state = number(step.substr(0, std::min(at, slash)));
                if (slash != std::string::npos)
                    s.mode = number(step.substr(slash + 1, at - slash - 1));
                if (at != std::string::npos)
                    s.delay = number(step.substr(at + 1));
                script.sequences.back().push_back(s);
            }
        } else if (verb == "fail") {
            std::size_t equals = a.find('=');
            script.failures[a.substr(0, equals)] = static_cast<LONG>(number(a.substr(equals + 1)));
        } else if (verb == "fillnothing") {
            script.fillNothing = a;
        }
    }
    return script;
}

// What the library holds between calls.
struct Calls {
    Script script;
    LINECALLBACK callback = nullptr;
    HWND window = nullptr;
    DWORD nextCall = kFirstCall;
    std::size_t callsMade = 0;  // in this process, whatever the initialisations
    DWORD nextRequest = 1;
    std::map<DWORD, DWORD> callLine;   // call -> line
    std::map<DWORD, DWORD> callState;  // call -> last state sent
    struct Pending {
        DWORD call, state, mode, message, param;
    };
    std::map<UINT_PTR, Pending> pending;  // timer id -> what it sends
    UINT_PTR nextTimer = 1;
} calls;

// The result a scripted failure gives NAME, or 0.
LONG failure(const char* name) {
    auto found = calls.script.failures.find(name);
    return found == calls.script.failures.end() ? 0 : found->second;
}

bool fillsNothing(const char* name) {
    return doubles::listed(calls.script.fillNothing, name);
}

void send(const Calls::Pending& event) {
    if (event.message == LINE_CALLSTATE)
        calls.callState[event.call] = event.state;
    if (calls.callback)
        calls.callback(event.call, event.message, 0,
                       event.message == LINE_CALLSTATE ? event.state : event.param,
                       event.message == LINE_CALLSTATE ? event.mode : 0, 0);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        KillTimer(window, wParam);
        auto found = calls.pending.find(wParam);
        if (found != calls.pending.end()) {
            Calls::Pending event = found->second;
            calls.pending.erase(found);
            send(event);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Sends `event` after `delay` milliseconds, when the thread handles its messages.
void schedule(const Calls::Pending& event, DWORD delay) {
    if (!calls.window)
        return;
    UINT_PTR id = calls.nextTimer++;
    calls.pending[id] = event;
    SetTimer(calls.window, id, delay, nullptr);
}

// Cancels what was still to come for `call` (0: for every call).
void cancel(DWORD call) {
    for (auto it = calls.pending.begin(); it != calls.pending.end();) {
        if (call == 0 || it->second.call == call) {
            KillTimer(calls.window, it->first);
            it = calls.pending.erase(it);
        } else {
            ++it;
        }
    }
}

// The call's known, or the error for an unknown handle.
bool knownCall(DWORD call) {
    return calls.callLine.count(call) != 0;
}
bool knownLine(DWORD line) {
    return line >= kFirstLine && line < kFirstLine + calls.script.devices.size();
}

}  // namespace

extern "C" {

LONG WINAPI lineInitialize(LPHLINEAPP lineApp, HINSTANCE, LINECALLBACK callback, LPCSTR appName,
                           LPDWORD devices) {
    calls.script = readScript();
    logLine("lineInitialize " + quoted(appName));
    if (LONG result = failure("lineInitialize"))
        return result;
    if (fillsNothing("lineInitialize"))
        return 0;
    calls.callback = callback;
    WNDCLASSA type{};
    type.lpfnWndProc = &windowProcedure;
    type.hInstance = GetModuleHandleA("TAPI32.DLL");
    type.lpszClassName = "LineDoubleEvents";
    RegisterClassA(&type);
    calls.window = CreateWindowExA(0, type.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   type.hInstance, nullptr);
    *lineApp = kLineApp;
    *devices = static_cast<DWORD>(calls.script.devices.size());
    return 0;
}

LONG WINAPI lineNegotiateAPIVersion(HLINEAPP, DWORD device, DWORD low, DWORD high, LPDWORD version,
                                    LPLINEEXTENSIONID) {
    logLine("lineNegotiateAPIVersion " + std::to_string(device) + " " + hex(low) + " " + hex(high));
    if (LONG result = failure("lineNegotiateAPIVersion"))
        return result;
    if (!fillsNothing("lineNegotiateAPIVersion"))
        *version = high < 0x10004 ? high : 0x10004;
    return 0;
}

LONG WINAPI lineGetDevCaps(HLINEAPP, DWORD device, DWORD version, DWORD, LPLINEDEVCAPS caps) {
    logLine("lineGetDevCaps " + std::to_string(device) + " " + hex(version) +
            " size=" + std::to_string(caps->dwTotalSize));
    if (LONG result = failure("lineGetDevCaps"))
        return result;
    if (device >= calls.script.devices.size())
        return LINEERR_BADDEVICEID;
    if (fillsNothing("lineGetDevCaps"))
        return 0;
    const DWORD fixed = offsetof(LINEDEVCAPS, dwLineFeatures) + sizeof(DWORD);
    caps->dwNeededSize = fixed;
    if (caps->dwTotalSize < fixed)
        return 0;
    caps->dwUsedSize = fixed;
    caps->dwBearerModes = calls.script.devices[device].bearer;
    caps->dwMediaModes = calls.script.devices[device].media;
    caps->dwLineFeatures = calls.script.devices[device].features;
    return 0;
}

LONG WINAPI lineOpen(HLINEAPP, DWORD device, LPHLINE line, DWORD version, DWORD extension,
                     DWORD_PTR instance, DWORD privileges, DWORD media, LPLINECALLPARAMS params) {
    logLine("lineOpen " + std::to_string(device) + " " + hex(version) + " ext=" + hex(extension) +
            " instance=" + hex(static_cast<DWORD>(instance)) + " privileges=" + hex(privileges) +
            " media=" + hex(media) + (params ? " params" : ""));
    if (LONG result = failure("lineOpen"))
        return result;
    if (!fillsNothing("lineOpen"))
        *line = kFirstLine + device;
    return 0;
}

LONG WINAPI lineGetAddressStatus(HLINE line, DWORD address, LPLINEADDRESSSTATUS status) {
    logLine("lineGetAddressStatus " + hex(line) + " " + std::to_string(address));
    if (LONG result = failure("lineGetAddressStatus"))
        return result;
    if (!knownLine(line))
        return LINEERR_INVALLINEHANDLE;
    const DWORD fixed = offsetof(LINEADDRESSSTATUS, dwAddressFeatures) + sizeof(DWORD);
    status->dwNeededSize = fixed;
    if (status->dwTotalSize >= fixed && !fillsNothing("lineGetAddressStatus")) {
        status->dwUsedSize = fixed;
        status->dwAddressFeatures = calls.script.addressFeatures;
    }
    return 0;
}

LONG WINAPI lineMakeCall(HLINE line, LPHCALL call, LPCSTR address, DWORD country,
                         LPLINECALLPARAMS params) {
    std::string described = params ? "params=" + std::to_string(params->dwTotalSize) +
                                         ",bearer=" + hex(params->dwBearerMode) +
                                         ",media=" + hex(params->dwMediaMode) +
                                         ",flags=" + hex(params->dwCallParamFlags) +
                                         ",mode=" + hex(params->dwAddressMode) +
                                         ",id=" + std::to_string(params->dwAddressID)
                                   : "params=null";
    logLine("lineMakeCall " + hex(line) + " " + quoted(address) + " " + std::to_string(country) +
            " " + described);
    if (LONG result = failure("lineMakeCall"))
        return result;
    if (!knownLine(line))
        return LINEERR_INVALLINEHANDLE;
    DWORD made = calls.nextCall++;
    calls.callLine[made] = line;
    calls.callState[made] = 0;
    DWORD request = calls.nextRequest++;
    schedule({made, 0, 0, LINE_REPLY, request}, 0);
    DWORD at = 0;
    const auto& sequences = calls.script.sequences;
    std::size_t which = std::min(calls.callsMade++, sequences.size() - 1);
    for (const Step& step : sequences.empty() ? std::vector<Step>() : sequences[which]) {
        at += step.delay;
        schedule({made, step.state, step.mode, LINE_CALLSTATE, 0}, at);
    }
    if (!fillsNothing("lineMakeCall"))
        *call = made;
    return static_cast<LONG>(request);
}

LONG WINAPI lineGetCallInfo(HCALL call, LPLINECALLINFO info) {
    logLine("lineGetCallInfo " + hex(call) + " size=" + std::to_string(info->dwTotalSize));
    if (LONG result = failure("lineGetCallInfo"))
        return result;
    if (!knownCall(call))
        return LINEERR_INVALCALLHANDLE;
    const DWORD fixed = offsetof(LINECALLINFO, hLine) + sizeof(HLINE);
    info->dwNeededSize = fixed;
    if (info->dwTotalSize >= fixed && !fillsNothing("lineGetCallInfo")) {
        info->dwUsedSize = fixed;
        info->hLine = calls.callLine[call];
    }
    return 0;
}

LONG WINAPI lineGetCallStatus(HCALL call, LPLINECALLSTATUS status) {
    logLine("lineGetCallStatus " + hex(call));
    if (LONG result = failure("lineGetCallStatus"))
        return result;
    if (!knownCall(call))
        return LINEERR_INVALCALLHANDLE;
    const DWORD fixed = offsetof(LINECALLSTATUS, dwCallState) + sizeof(DWORD);
    status->dwNeededSize = fixed;
    if (status->dwTotalSize >= fixed && !fillsNothing("lineGetCallStatus")) {
        status->dwUsedSize = fixed;
        status->dwCallState = calls.callState[call];
    }
    return 0;
}

LONG WINAPI lineGetID(HLINE line, DWORD address, HCALL call, DWORD select, LPVARSTRING id,
                      LPCSTR deviceClass) {
    logLine("lineGetID " + hex(line) + " " + std::to_string(address) + " " + hex(call) + " " +
            hex(select) + " " + quoted(deviceClass));
    if (LONG result = failure("lineGetID"))
        return result;
    if (!knownCall(call))
        return LINEERR_INVALCALLHANDLE;
    // The modem's handle (an event stands in for it) and its name.
    const char name[] = "Line double modem";
    const DWORD size = sizeof(VARSTRING) + sizeof(DWORD) + sizeof name;
    id->dwNeededSize = size;
    if (id->dwTotalSize < size || fillsNothing("lineGetID"))
        return 0;
    HANDLE modem = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD word = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(modem));
    id->dwUsedSize = size;
    id->dwStringFormat = STRINGFORMAT_BINARY;
    id->dwStringSize = sizeof(DWORD) + sizeof name;
    id->dwStringOffset = sizeof(VARSTRING);
    auto* bytes = reinterpret_cast<char*>(id) + id->dwStringOffset;
    std::memcpy(bytes, &word, sizeof word);
    std::memcpy(bytes + sizeof word, name, sizeof name);
    return 0;
}

LONG WINAPI lineDrop(HCALL call, LPCSTR, DWORD) {
    logLine("lineDrop " + hex(call));
    if (LONG result = failure("lineDrop"))
        return result;
    if (!knownCall(call))
        return LINEERR_INVALCALLHANDLE;
    cancel(call);
    DWORD request = calls.nextRequest++;
    schedule({call, LINECALLSTATE_IDLE, 0, LINE_CALLSTATE, 0}, 0);
    schedule({call, 0, 0, LINE_REPLY, request}, 0);
    return static_cast<LONG>(request);
}

LONG WINAPI lineDeallocateCall(HCALL call) {
    logLine("lineDeallocateCall " + hex(call));
    if (LONG result = failure("lineDeallocateCall"))
        return result;
    if (!knownCall(call))
        return LINEERR_INVALCALLHANDLE;
    cancel(call);
    calls.callLine.erase(call);
    return 0;
}

LONG WINAPI lineClose(HLINE line) {
    logLine("lineClose " + hex(line));
    if (LONG result = failure("lineClose"))
        return result;
    if (!knownLine(line))
        return LINEERR_INVALLINEHANDLE;
    for (const auto& [call, onLine] : calls.callLine)
        if (onLine == line)
            cancel(call);
    return 0;
}

LONG WINAPI lineShutdown(HLINEAPP lineApp) {
    logLine("lineShutdown " + hex(lineApp));
    if (LONG result = failure("lineShutdown"))
        return result;
    if (lineApp != kLineApp)
        return LINEERR_INVALAPPHANDLE;
    cancel(0);
    if (calls.window)
        DestroyWindow(calls.window);
    calls.window = nullptr;
    calls.callback = nullptr;
    return 0;
}

}  // extern "C"

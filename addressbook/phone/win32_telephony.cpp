#include "addressbook/phone/win32_telephony.h"

#include <tapi.h>

#include <cstddef>
#include <cstring>
#include <memory>

namespace ctlite {
namespace {

static_assert(line::kOperationUnavailable == static_cast<line::Result>(LINEERR_OPERATIONUNAVAIL));
static_assert(line::kOperationFailed == static_cast<line::Result>(LINEERR_OPERATIONFAILED));
static_assert(line::kCallStateMessage == LINE_CALLSTATE && line::kCloseMessage == LINE_CLOSE &&
              line::kLineDevStateMessage == LINE_LINEDEVSTATE && line::kReplyMessage == LINE_REPLY);
static_assert(line::kDevStateRinging == LINEDEVSTATE_RINGING &&
              line::kDevStateReinit == LINEDEVSTATE_REINIT);
static_assert(line::kIdle == LINECALLSTATE_IDLE && line::kBusy == LINECALLSTATE_BUSY &&
              line::kConnected == LINECALLSTATE_CONNECTED &&
              line::kDisconnected == LINECALLSTATE_DISCONNECTED);
static_assert(line::kDisconnectModes[0] == LINEDISCONNECTMODE_NORMAL &&
              line::kDisconnectModes[12] == LINEDISCONNECTMODE_NODIALTONE);
static_assert(line::kBearerVoice == LINEBEARERMODE_VOICE &&
              line::kMediaDataModem == LINEMEDIAMODE_DATAMODEM &&
              line::kLineFeatureMakeCall == LINEFEATURE_MAKECALL &&
              line::kAddressFeatureMakeCall == LINEADDRFEATURE_MAKECALL &&
              line::kPrivilegeNone == LINECALLPRIVILEGE_NONE &&
              line::kCallParamIdle == LINECALLPARAMFLAGS_IDLE &&
              line::kAddressModeAddressId == LINEADDRESSMODE_ADDRESSID);
// The call parameters of the API's versions 1.3 and 1.4 end where later versions'
// fields begin: 112 bytes.
constexpr DWORD kCallParamsSize = offsetof(LINECALLPARAMS, dwPredictiveAutoTransferStates);
static_assert(kCallParamsSize == 112);

constexpr const char* kNames[] = {
    "lineInitialize",  "lineNegotiateAPIVersion", "lineGetDevCaps",
    "lineOpen",        "lineGetAddressStatus",    "lineMakeCall",
    "lineGetCallInfo", "lineGetCallStatus",       "lineGetID",
    "lineDrop",        "lineDeallocateCall",      "lineClose",
    "lineShutdown",
};

void CALLBACK lineCallback(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
                           DWORD_PTR param2, DWORD_PTR param3) {
    TapiLine::deliver({device, message, instance, param1, param2, param3});
}

// A variable-size result from the local heap, its first word its total size and the
// rest zero, grown to the size a query says it needs.
class QueryBuffer {
public:
    explicit QueryBuffer(DWORD size) { allocate(size); }
    ~QueryBuffer() { LocalFree(memory_); }
    QueryBuffer(const QueryBuffer&) = delete;
    QueryBuffer& operator=(const QueryBuffer&) = delete;

    template <class T>
    T* as() const {
        return static_cast<T*>(memory_);
    }
    bool valid() const { return memory_ != nullptr; }
    // Runs `query` until the buffer is large enough; its result.
    template <class T, class Query>
    LONG fill(Query query) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (!memory_)
                return LINEERR_NOMEM;
            LONG result = query(as<T>());
            DWORD needed = as<T>()->dwNeededSize;
            if (result < 0 || needed <= as<T>()->dwTotalSize)
                return result;
            allocate(needed);
        }
        return LINEERR_STRUCTURETOOSMALL;
    }
    // Whether the query wrote `bytes` from the start (its used size says so).
    template <class T>
    bool holds(std::size_t bytes) const {
        return as<T>()->dwUsedSize >= bytes;
    }

private:
    void allocate(DWORD size) {
        LocalFree(memory_);
        memory_ = LocalAlloc(LPTR, size);  // zeroed
        if (memory_)
            *static_cast<DWORD*>(memory_) = size;
    }
    void* memory_ = nullptr;
};

}  // namespace

Win32Telephony::~Win32Telephony() {
    if (library_)
        FreeLibrary(library_);
}

FARPROC Win32Telephony::bind(Function function) {
    if (looked_[function])
        return functions_[function];
    looked_[function] = true;
    if (!libraryTried_) {
        libraryTried_ = true;
        // Only the system's own library: never one that lies beside the program
        // or in the current folder.
        char folder[MAX_PATH] = "";
        UINT length = GetSystemDirectoryA(folder, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            library_ = LoadLibraryExA((std::string(folder, length) + "\\TAPI32.DLL").c_str(),
                                      nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    if (library_)
        functions_[function] = GetProcAddress(library_, kNames[function]);
    return functions_[function];
}

line::Result Win32Telephony::initialize(std::uintptr_t instance, const char* appName,
                                        std::uint32_t& lineApp, std::uint32_t& devices) {
    HLINEAPP app = 0;
    DWORD count = 0;
    LONG result = invoke<LONG(WINAPI*)(LPHLINEAPP, HINSTANCE, LINECALLBACK, LPCSTR, LPDWORD)>(
        Initialize, &app, reinterpret_cast<HINSTANCE>(instance), &lineCallback, appName, &count);
    if (result >= 0) {
        lineApp = app;
        devices = count;
    }
    return result;
}

line::Result Win32Telephony::negotiateVersion(std::uint32_t lineApp, std::uint32_t device,
                                              std::uint32_t& version) {
    DWORD negotiated = 0;
    LINEEXTENSIONID extension{};
    LONG result = invoke<LONG(WINAPI*)(HLINEAPP, DWORD, DWORD, DWORD, LPDWORD, LPLINEEXTENSIONID)>(
        NegotiateVersion, lineApp, device, line::kLowestVersion, line::kHighestVersion, &negotiated,
        &extension);
    if (result >= 0)
        version = negotiated;
    return result;
}

line::Result Win32Telephony::deviceCaps(std::uint32_t lineApp, std::uint32_t device,
                                        std::uint32_t version, LineCaps& caps) {
    QueryBuffer buffer(1264);
    LONG result = buffer.fill<LINEDEVCAPS>([&](LINEDEVCAPS* into) {
        return invoke<LONG(WINAPI*)(HLINEAPP, DWORD, DWORD, DWORD, LPLINEDEVCAPS)>(
            GetDevCaps, lineApp, device, version, 0, into);
    });
    if (result >= 0) {
        const LINEDEVCAPS& read = *buffer.as<LINEDEVCAPS>();
        caps.bearerModes = read.dwBearerModes;
        caps.mediaModes = read.dwMediaModes;
        caps.lineFeatures = read.dwLineFeatures;
    }
    return result;
}

line::Result Win32Telephony::open(std::uint32_t lineApp, std::uint32_t device, std::uint32_t& line,
                                  std::uint32_t version, std::uint32_t privileges,
                                  std::uint32_t mediaModes) {
    HLINE opened = 0;
    LONG result = invoke<LONG(WINAPI*)(HLINEAPP, DWORD, LPHLINE, DWORD, DWORD, DWORD_PTR, DWORD,
                                       DWORD, LPLINECALLPARAMS)>(
        Open, lineApp, device, &opened, version, 0, 0, privileges, mediaModes, nullptr);
    if (result >= 0)
        line = opened;
    return result;
}

line::Result Win32Telephony::addressFeatures(std::uint32_t line, std::uint32_t address,
                                             std::uint32_t& features) {
    QueryBuffer buffer(1088);
    LONG result = buffer.fill<LINEADDRESSSTATUS>([&](LINEADDRESSSTATUS* into) {
        return invoke<LONG(WINAPI*)(HLINE, DWORD, LPLINEADDRESSSTATUS)>(GetAddressStatus, line,
                                                                        address, into);
    });
    if (result >= 0)
        features = buffer.as<LINEADDRESSSTATUS>()->dwAddressFeatures;
    return result;
}

line::Result Win32Telephony::makeCall(std::uint32_t line, std::uint32_t& call,
                                      const std::string& dialString, std::uint32_t countryCode,
                                      const CallParams& params) {
    LINECALLPARAMS block{};
    block.dwTotalSize = kCallParamsSize;
    block.dwBearerMode = params.bearerMode;
    block.dwMediaMode = params.mediaMode;
    block.dwCallParamFlags = params.flags;
    block.dwAddressMode = params.addressMode;
    block.dwAddressID = params.addressId;
    HCALL made = 0;
    LONG result = invoke<LONG(WINAPI*)(HLINE, LPHCALL, LPCSTR, DWORD, LPLINECALLPARAMS)>(
        MakeCall, line, &made, dialString.c_str(), countryCode, &block);
    if (result >= 0)
        call = made;
    return result;
}

line::Result Win32Telephony::callLine(std::uint32_t call, std::uint32_t& line) {
    QueryBuffer buffer(296);
    LONG result = buffer.fill<LINECALLINFO>([&](LINECALLINFO* into) {
        return invoke<LONG(WINAPI*)(HCALL, LPLINECALLINFO)>(GetCallInfo, call, into);
    });
    if (result >= 0)
        line = buffer.as<LINECALLINFO>()->hLine;
    return result;
}

line::Result Win32Telephony::callState(std::uint32_t call, std::uint32_t& state) {
    QueryBuffer buffer(1060);
    LONG result = buffer.fill<LINECALLSTATUS>([&](LINECALLSTATUS* into) {
        return invoke<LONG(WINAPI*)(HCALL, LPLINECALLSTATUS)>(GetCallStatus, call, into);
    });
    if (result >= 0)
        state = buffer.as<LINECALLSTATUS>()->dwCallState;
    return result;
}

line::Result Win32Telephony::commHandle(std::uint32_t call, std::uintptr_t& comm) {
    QueryBuffer buffer(1048);
    LONG result = buffer.fill<VARSTRING>([&](VARSTRING* into) {
        return invoke<LONG(WINAPI*)(HLINE, DWORD, HCALL, DWORD, LPVARSTRING, LPCSTR)>(
            GetId, 0, 0, call, LINECALLSELECT_CALL, into, "comm/datamodem");
    });
    if (result < 0)
        return result;
    // The handle is the first 32-bit word of the string part, when there is one.
    const VARSTRING& text = *buffer.as<VARSTRING>();
    if (text.dwStringSize < sizeof(DWORD) || text.dwStringOffset < sizeof(VARSTRING) ||
        text.dwStringOffset + sizeof(DWORD) > text.dwTotalSize)
        return line::kOperationFailed;
    DWORD word = 0;
    std::memcpy(&word, reinterpret_cast<const char*>(&text) + text.dwStringOffset, sizeof word);
    comm = word;
    return result;
}

line::Result Win32Telephony::drop(std::uint32_t call) {
    return invoke<LONG(WINAPI*)(HCALL, LPCSTR, DWORD)>(Drop, call, nullptr, 0);
}

line::Result Win32Telephony::deallocateCall(std::uint32_t call) {
    return invoke<LONG(WINAPI*)(HCALL)>(DeallocateCall, call);
}

line::Result Win32Telephony::close(std::uint32_t line) {
    return invoke<LONG(WINAPI*)(HLINE)>(Close, line);
}

line::Result Win32Telephony::shutdown(std::uint32_t lineApp) {
    return invoke<LONG(WINAPI*)(HLINEAPP)>(Shutdown, lineApp);
}

bool Win32Telephony::closeComm(std::uintptr_t comm) {
    return CloseHandle(reinterpret_cast<HANDLE>(comm)) != FALSE;
}

void Win32Telephony::debugOutput(const std::string& text) {
    OutputDebugStringA(text.c_str());
}

}  // namespace ctlite

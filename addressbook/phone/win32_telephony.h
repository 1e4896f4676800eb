// The telephony library of the system: TAPI32.DLL from the system folder, loaded
// by name at the first call and never linked. Each function is looked up once; a
// library that cannot be loaded, or a function it lacks, answers every later call
// with LINEERR_OPERATIONUNAVAIL without trying again.
#pragma once

#include <windows.h>

#include "addressbook/phone/tapi_line.h"

namespace ctlite {

class Win32Telephony : public Telephony {
public:
    Win32Telephony() = default;
    ~Win32Telephony() override;
    Win32Telephony(const Win32Telephony&) = delete;
    Win32Telephony& operator=(const Win32Telephony&) = delete;

    line::Result initialize(std::uintptr_t instance, const char* appName, std::uint32_t& lineApp,
                            std::uint32_t& devices) override;
    line::Result negotiateVersion(std::uint32_t lineApp, std::uint32_t device,
                                  std::uint32_t& version) override;
    line::Result deviceCaps(std::uint32_t lineApp, std::uint32_t device, std::uint32_t version,
                            LineCaps& caps) override;
    line::Result open(std::uint32_t lineApp, std::uint32_t device, std::uint32_t& line,
                      std::uint32_t version, std::uint32_t privileges,
                      std::uint32_t mediaModes) override;
    line::Result addressFeatures(std::uint32_t line, std::uint32_t address,
                                 std::uint32_t& features) override;
    line::Result makeCall(std::uint32_t line, std::uint32_t& call, const std::string& dialString,
                          std::uint32_t countryCode, const CallParams& params) override;
    line::Result callLine(std::uint32_t call, std::uint32_t& line) override;
    line::Result callState(std::uint32_t call, std::uint32_t& state) override;
    line::Result commHandle(std::uint32_t call, std::uintptr_t& comm) override;
    line::Result drop(std::uint32_t call) override;
    line::Result deallocateCall(std::uint32_t call) override;
    line::Result close(std::uint32_t line) override;
    line::Result shutdown(std::uint32_t lineApp) override;
    bool closeComm(std::uintptr_t comm) override;
    void debugOutput(const std::string& text) override;

private:
    enum Function {
        Initialize,
        NegotiateVersion,
        GetDevCaps,
        Open,
        GetAddressStatus,
        MakeCall,
        GetCallInfo,
        GetCallStatus,
        GetId,
        Drop,
        DeallocateCall,
        Close,
        Shutdown,
        kFunctionCount
    };
    // The function's address, or null (remembered) when it cannot be had.
    FARPROC bind(Function function);
    // Calls the function bound for `function` as an `Fn`; unavailable without one.
    template <class Fn, class... Args>
    line::Result invoke(Function function, Args... args) {
        auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(bind(function)));
        return fn ? static_cast<line::Result>(fn(args...)) : line::kOperationUnavailable;
    }

    HMODULE library_ = nullptr;
    bool libraryTried_ = false;
    FARPROC functions_[kFunctionCount] = {};
    bool looked_[kFunctionCount] = {};
};

}  // namespace ctlite

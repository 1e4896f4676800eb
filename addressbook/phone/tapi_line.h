// One telephone call through the Telephony API: initialise, choose and open a line
// that can place data-modem calls, place the call, follow its states and stop it.
// It works against two tables, so that it can run without the system: the
// telephony library's functions (`Telephony`) and the window it reports to
// (`LineWindow`). The Win32 side provides both (win32_telephony.h, dial_dialog.h).
#pragma once

#include <cstdint>
#include <string>

#include "addressbook/phone/line_protocol.h"

namespace ctlite {

// The device capabilities a line is chosen by.
struct LineCaps {
    std::uint32_t bearerModes = 0;
    std::uint32_t mediaModes = 0;
    std::uint32_t lineFeatures = 0;
};

// What a call asks for (the system's call parameters block, everything else zero).
struct CallParams {
    std::uint32_t bearerMode = line::kBearerVoice;
    std::uint32_t mediaMode = line::kMediaDataModem;
    std::uint32_t flags = line::kCallParamIdle;
    std::uint32_t addressMode = line::kAddressModeAddressId;
    std::uint32_t addressId = 0;
};

// The thirteen functions of the telephony library, and the two system calls the
// line makes beside them. Out-values are written only by a call that succeeds.
class Telephony {
public:
    virtual ~Telephony() = default;
    virtual line::Result initialize(std::uintptr_t instance, const char* appName,
                                    std::uint32_t& lineApp, std::uint32_t& devices) = 0;
    virtual line::Result negotiateVersion(std::uint32_t lineApp, std::uint32_t device,
                                          std::uint32_t& version) = 0;
    virtual line::Result deviceCaps(std::uint32_t lineApp, std::uint32_t device,
                                    std::uint32_t version, LineCaps& caps) = 0;
    virtual line::Result open(std::uint32_t lineApp, std::uint32_t device, std::uint32_t& line,
                              std::uint32_t version, std::uint32_t privileges,
                              std::uint32_t mediaModes) = 0;
    virtual line::Result addressFeatures(std::uint32_t line, std::uint32_t address,
                                         std::uint32_t& features) = 0;
    virtual line::Result makeCall(std::uint32_t line, std::uint32_t& call,
                                  const std::string& dialString, std::uint32_t countryCode,
                                  const CallParams& params) = 0;
    // The line a call is on (from the call information).
    virtual line::Result callLine(std::uint32_t call, std::uint32_t& line) = 0;
    virtual line::Result callState(std::uint32_t call, std::uint32_t& state) = 0;
    // The modem's comm handle of a connected call.
    virtual line::Result commHandle(std::uint32_t call, std::uintptr_t& comm) = 0;
    virtual line::Result drop(std::uint32_t call) = 0;
    virtual line::Result deallocateCall(std::uint32_t call) = 0;
    virtual line::Result close(std::uint32_t line) = 0;
    virtual line::Result shutdown(std::uint32_t lineApp) = 0;

    virtual bool closeComm(std::uintptr_t comm) = 0;
    virtual void debugOutput(const std::string& text) = 0;
};

// The window a line reports to: its three properties, its message pump, its boxes.
class LineWindow {
public:
    virtual ~LineWindow() = default;
    virtual std::uintptr_t moduleInstance() const = 0;
    virtual void setProperty(const char* name, std::uintptr_t value) = 0;
    virtual std::uintptr_t property(const char* name) const = 0;
    // Handles the window messages that arrive for `milliseconds`.
    virtual void pumpMessages(unsigned milliseconds) = 0;
    // A box captioned "Error" with an OK button, owned by the window.
    virtual void showError(const std::string& text) = 0;
};

// The six values of a telephony callback.
struct LineCallback {
    std::uint32_t device = 0;
    std::uint32_t message = 0;
    std::uintptr_t instance = 0;
    std::uintptr_t param1 = 0, param2 = 0, param3 = 0;
};

class TapiLine {
public:
    static constexpr const char* kAppName = "ZUD TAPI";

    // The line made last receives the callbacks (one dial window at a time).
    explicit TapiLine(Telephony& telephony);
    virtual ~TapiLine();
    TapiLine(const TapiLine&) = delete;
    TapiLine& operator=(const TapiLine&) = delete;

    // What the callback hands over, and the reactions to it.
    virtual void onLineEvent();
    virtual void onCallState();
    // Reports to `window` from now on and sets its three properties to empty.
    virtual void attachWindow(LineWindow* window);
    // Places a call; negative when it failed (a box has said why, where there is one).
    virtual line::Result dial(const std::string& dialString);
    // Stops everything dial started; safe at any time, from a callback too.
    virtual void hangUp();

    // The telephony callback: copies the values into the line made last.
    static void deliver(const LineCallback& values);

    const std::string& lastStatus() const { return lastStatus_; }
    bool initialised() const { return lineApp_ != 0; }

private:
    void reportStatus(const std::string& text, bool box = false);
    // Opens the first line that can place data-modem calls; 0 after a box.
    std::uint32_t openLine();
    void recordCall(std::uint32_t call);
    void takeComm(std::uint32_t call);
    // Gives up what is held without a word: the window is going away.
    void release();

    static TapiLine* latest_;

    Telephony& telephony_;
    LineWindow* window_ = nullptr;
    std::uintptr_t instance_ = 0;
    LineCallback callback_;
    std::uint32_t lineApp_ = 0;
    std::uint32_t devices_ = 0;
    std::uint32_t line_ = 0;
    std::uint32_t call_ = 0;
    std::uintptr_t comm_ = 0;
    CallParams callParams_;
    std::string lastStatus_;
    // Counts the stops; a dial whose wait saw one stops too.
    unsigned stops_ = 0;
    bool stopping_ = false;
};

}  // namespace ctlite

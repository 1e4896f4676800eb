// The Telephony API's numbers that the dialer reads and passes (messages, call
// states, disconnect modes, capability bits, results), and what the dialer makes
// of each callback: the status it reports, whether it shows it in a box, and
// whether the call stops. The values are the API's own; the Win32 side checks
// them against the system's header.
#pragma once

#include <cstdint>
#include <string>

namespace ctlite::line {

using Result = std::int32_t;

// Results.
inline constexpr Result kOperationFailed = static_cast<Result>(0x80000048);
inline constexpr Result kOperationUnavailable = static_cast<Result>(0x80000049);

// Callback messages.
inline constexpr std::uint32_t kCallStateMessage = 2;
inline constexpr std::uint32_t kCloseMessage = 3;
inline constexpr std::uint32_t kLineDevStateMessage = 8;
inline constexpr std::uint32_t kReplyMessage = 12;

// Line device states (the first parameter of kLineDevStateMessage).
inline constexpr std::uint32_t kDevStateRinging = 0x00000002;
inline constexpr std::uint32_t kDevStateReinit = 0x00040000;

// Call states.
inline constexpr std::uint32_t kIdle = 0x00000001;
inline constexpr std::uint32_t kOffering = 0x00000002;
inline constexpr std::uint32_t kAccepted = 0x00000004;
inline constexpr std::uint32_t kDialTone = 0x00000008;
inline constexpr std::uint32_t kDialing = 0x00000010;
inline constexpr std::uint32_t kRingBack = 0x00000020;
inline constexpr std::uint32_t kBusy = 0x00000040;
inline constexpr std::uint32_t kSpecialInfo = 0x00000080;
inline constexpr std::uint32_t kConnected = 0x00000100;
inline constexpr std::uint32_t kProceeding = 0x00000200;
inline constexpr std::uint32_t kOnHold = 0x00000400;
inline constexpr std::uint32_t kDisconnected = 0x00004000;

// Disconnect modes, in the order of their texts.
inline constexpr std::uint32_t kDisconnectModes[] = {
    0x00000001,  // normal
    0x00000002,  // unknown
    0x00000004,  // reject
    0x00000008,  // pickup
    0x00000010,  // forwarded
    0x00000020,  // busy
    0x00000040,  // no answer
    0x00000080,  // bad address
    0x00000100,  // unreachable
    0x00000200,  // congestion
    0x00000400,  // incompatible
    0x00000800,  // unavail
    0x00001000,  // no dial tone
};

// What a line must offer to be chosen, and what a call asks for.
inline constexpr std::uint32_t kBearerVoice = 0x00000001;
inline constexpr std::uint32_t kMediaDataModem = 0x00000010;
inline constexpr std::uint32_t kLineFeatureMakeCall = 0x00000008;
inline constexpr std::uint32_t kAddressFeatureMakeCall = 0x00000002;
inline constexpr std::uint32_t kPrivilegeNone = 0x00000001;
inline constexpr std::uint32_t kCallParamIdle = 0x00000002;
inline constexpr std::uint32_t kAddressModeAddressId = 0x00000001;
inline constexpr std::uint32_t kLowestVersion = 0x00010003;
inline constexpr std::uint32_t kHighestVersion = 0x00010004;

inline bool failed(Result result) {
    return result < 0;
}

// What a call state does besides its status.
enum class CallStep {
    None,
    HangUp,      // the call stops
    RecordCall,  // the call's line is kept in the window
    Connected,   // the comm handle is taken and the call recorded
};

struct CallStateReaction {
    std::string status;  // empty: none
    bool box = false;    // shown in an error box
    CallStep step = CallStep::None;
};

// The reaction to a call state of the current call; `mode` is the disconnect mode
// that comes with kDisconnected.
CallStateReaction callStateReaction(std::uint32_t state, std::uint32_t mode);

// The text of a disconnect mode's box.
std::string disconnectText(std::uint32_t mode);

// The status of a callback message other than a call state; empty for none.
std::string lineEventStatus(std::uint32_t message, std::uint32_t firstParameter);

// The status for a failed lineDeallocateCall; empty for results without one.
std::string deallocateFailure(Result result);

}  // namespace ctlite::line

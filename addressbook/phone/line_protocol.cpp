#include "addressbook/phone/line_protocol.h"

#include <iterator>

namespace ctlite::line {

std::string disconnectText(std::uint32_t mode) {
    static const char* const kTexts[] = {
        "Remote Party Disconnected",  "Disconnected: Unknown reason",
        "Remote Party rejected call", "Disconnected: Local phone picked up",
        "Disconnected: Forwarded",    "Disconnected: Busy",
        "Disconnected: No Answer",    "Disconnected: Bad Address",
        "Disconnected: Unreachable",  "Disconnected: Congestion",
        "Disconnected: Incompatible", "Disconnected: Unavail",
        "Disconnected: No Dial Tone",
    };
    static_assert(std::size(kTexts) == std::size(kDisconnectModes));
    for (std::size_t i = 0; i < std::size(kDisconnectModes); ++i)
        if (kDisconnectModes[i] == mode)
            return kTexts[i];
    return "Disconnected: LINECALLSTATE; Bad Reason";
}

CallStateReaction callStateReaction(std::uint32_t state, std::uint32_t mode) {
    switch (state) {
        case kIdle: return {"Line is idle...", false, CallStep::HangUp};
        case kOffering: return {"LINECALLSTATE_OFFERING...", false, CallStep::None};
        case kAccepted: return {"", false, CallStep::RecordCall};
        case kDialTone: return {"Dial Tone...", false, CallStep::None};
        case kDialing: return {"Dialing...", false, CallStep::None};
        case kBusy: return {"Line busy, shutting down...", true, CallStep::HangUp};
        case kSpecialInfo:
            return {"Special Info, probably couldn't dial number...", true, CallStep::HangUp};
        case kConnected: return {"Hey I am connected!", false, CallStep::Connected};
        case kProceeding: return {"", false, CallStep::RecordCall};
        case kDisconnected: return {disconnectText(mode), true, CallStep::HangUp};
        default: return {};
    }
}

std::string lineEventStatus(std::uint32_t message, std::uint32_t firstParameter) {
    switch (message) {
        case kCloseMessage: return "LINE_CLOSED...";
        case kLineDevStateMessage:
            if (firstParameter == kDevStateRinging)
                return "LINEDEVSTATE_RINGING...";
            if (firstParameter == kDevStateReinit)
                return "LINEDEVSTATE_REINIT...";
            return "";
        case kReplyMessage: return "Line Reply...";
        default: return "";
    }
}

std::string deallocateFailure(Result result) {
    static const std::uint32_t kResults[] = {0x80000018, 0x80000048, 0x8000001C,
                                             0x8000004B, 0x80000044, 0x80000050};
    for (std::size_t i = 0; i < std::size(kResults); ++i)
        if (static_cast<Result>(kResults[i]) == result)
            return "lineDeallocateCall(" + std::to_string(i + 1) + ") failed";
    return "";
}

}  // namespace ctlite::line

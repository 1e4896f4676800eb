#include "addressbook/phone/tapi_line.h"

namespace ctlite {

using line::failed;
using line::Result;

TapiLine* TapiLine::latest_ = nullptr;

TapiLine::TapiLine(Telephony& telephony) : telephony_(telephony) {
    latest_ = this;
}

TapiLine::~TapiLine() {
    release();
    if (latest_ == this)
        latest_ = nullptr;  // a late callback finds no line rather than a dead one
}

void TapiLine::deliver(const LineCallback& values) {
    if (!latest_)
        return;
    latest_->callback_ = values;
    latest_->onLineEvent();
}

void TapiLine::onLineEvent() {
    if (callback_.message == line::kCallStateMessage) {
        onCallState();
        return;
    }
    std::string status =
        line::lineEventStatus(callback_.message, static_cast<std::uint32_t>(callback_.param1));
    if (!status.empty())
        reportStatus(status);
}

void TapiLine::onCallState() {
    // The values are taken now: the statuses below handle messages, and a callback
    // that arrives meanwhile replaces them.
    const LineCallback values = callback_;
    if (call_ == 0 || values.device != call_) {
        reportStatus("LINE_CALLSTATE: Unknown device ID ...");
        return;
    }
    line::CallStateReaction reaction = line::callStateReaction(
        static_cast<std::uint32_t>(values.param1), static_cast<std::uint32_t>(values.param2));
    if (!reaction.status.empty())
        reportStatus(reaction.status, reaction.box);
    switch (reaction.step) {
        case line::CallStep::HangUp: hangUp(); break;
        case line::CallStep::Connected: takeComm(values.device); [[fallthrough]];
        case line::CallStep::RecordCall: recordCall(values.device); break;
        case line::CallStep::None: break;
    }
}

void TapiLine::attachWindow(LineWindow* window) {
    window_ = window;
    instance_ = window ? window->moduleInstance() : 0;
    if (!window)
        return;
    for (const char* name : {"HCALL", "HLINE", "HCOMM"})
        window->setProperty(name, 0);
}

Result TapiLine::dial(const std::string& dialString) {
    if (dialString.empty())
        return line::kOperationFailed;
    // A stop while a status shows (a callback that ends the call) ends the dial:
    // what it held is gone.
    const unsigned stops = stops_;
    auto stopped = [&] { return stops_ != stops; };
    if (lineApp_ == 0) {
        std::uint32_t lineApp = 0, devices = 0;
        Result result = telephony_.initialize(instance_, kAppName, lineApp, devices);
        if (failed(result)) {
            reportStatus("Tapi error...", true);
            return result;
        }
        lineApp_ = lineApp;
        devices_ = devices;
        reportStatus("Tapi initialized...");
        if (stopped() || lineApp_ == 0)
            return line::kOperationFailed;
    }
    std::uint32_t held = window_ ? static_cast<std::uint32_t>(window_->property("HLINE")) : 0;
    if (held == 0) {
        held = openLine();
        if (held == 0 || stopped())
            return line::kOperationFailed;
    }
    std::uint32_t features = 0;
    if (failed(telephony_.addressFeatures(held, 0, features))) {
        reportStatus("Line is defected. Cannot dial.", true);
        return line::kOperationFailed;
    }
    if (!(features & line::kAddressFeatureMakeCall)) {
        reportStatus("Line or modem in use. Cannot dial.", true);
        return line::kOperationFailed;
    }
    if (window_)
        window_->setProperty("HLINE", held);
    std::uint32_t call = 0;
    Result result = telephony_.makeCall(held, call, dialString, 0, callParams_);
    if (!failed(result)) {
        // A library that accepted the call but gave no handle leaves the one held.
        if (call != 0)
            call_ = call;
        // The first call states arrive meanwhile; one of them may stop the call.
        if (window_)
            window_->pumpMessages(5000);
    }
    return result;
}

std::uint32_t TapiLine::openLine() {
    bool qualified = false;
    for (std::uint32_t device = 0; device < devices_; ++device) {
        std::uint32_t version = 0;
        if (failed(telephony_.negotiateVersion(lineApp_, device, version)))
            continue;
        LineCaps caps;
        if (failed(telephony_.deviceCaps(lineApp_, device, version, caps))) {
            reportStatus("DeviceCaps Error", true);
            return 0;
        }
        if (!(caps.bearerModes & line::kBearerVoice) ||
            !(caps.mediaModes & line::kMediaDataModem) ||
            !(caps.lineFeatures & line::kLineFeatureMakeCall))
            continue;
        qualified = true;
        std::uint32_t opened = 0;
        if (!failed(telephony_.open(lineApp_, device, opened, version, line::kPrivilegeNone,
                                    line::kMediaDataModem)) &&
            opened != 0) {
            line_ = opened;
            return opened;
        }
    }
    reportStatus(
        qualified ? "Error Code" : "The devices are not capable of placing outbound calls.", true);
    return 0;
}

void TapiLine::recordCall(std::uint32_t call) {
    std::uint32_t onLine = 0;
    if (call == call_ && window_ && !failed(telephony_.callLine(call, onLine)))
        window_->setProperty("HLINE", onLine);
}

void TapiLine::takeComm(std::uint32_t call) {
    std::uintptr_t comm = 0;
    if (call == call_ && comm_ == 0 && !failed(telephony_.commHandle(call, comm)))
        comm_ = comm;
}

void TapiLine::hangUp() {
    // A callback during this stop's own statuses finds it under way.
    if (stopping_)
        return;
    stopping_ = true;
    ++stops_;
    // Taken at once: nothing that arrives while the statuses show finds them held.
    const std::uint32_t lineApp = lineApp_, held = line_, call = call_;
    const std::uintptr_t comm = comm_;
    lineApp_ = line_ = call_ = 0;
    comm_ = 0;
    reportStatus("Stopping Call in progress...");
    if (comm != 0 && !telephony_.closeComm(comm))
        reportStatus("CloseHandle failed");
    if (call != 0) {
        std::uint32_t state = 0;
        if (failed(telephony_.callState(call, state))) {
            reportStatus("Get call status failed");
        } else if (state != line::kIdle) {
            if (failed(telephony_.drop(call)))
                reportStatus("lineDrop failed");
            reportStatus("Call Dropped...");
        }
        std::string failure = line::deallocateFailure(telephony_.deallocateCall(call));
        if (!failure.empty())
            reportStatus(failure);
    }
    if (held != 0) {
        if (failed(telephony_.close(held)))
            reportStatus("lineClose failed");
        reportStatus("Line Closed...");
    }
    reportStatus("Call stopped...");
    if (lineApp != 0 && failed(telephony_.shutdown(lineApp)))
        reportStatus("lineShutdown failed");
    window_ = nullptr;
    stopping_ = false;
}

void TapiLine::release() {
    if (call_ != 0) {
        telephony_.drop(call_);
        telephony_.deallocateCall(call_);
    }
    if (comm_ != 0)
        telephony_.closeComm(comm_);
    if (line_ != 0)
        telephony_.close(line_);
    if (lineApp_ != 0)
        telephony_.shutdown(lineApp_);
    lineApp_ = line_ = call_ = 0;
    comm_ = 0;
}

void TapiLine::reportStatus(const std::string& text, bool box) {
    lastStatus_ = text;
    // The window may be let go by a stop that runs while messages are handled;
    // the box still belongs to it (it outlives the line's work).
    LineWindow* window = window_;
    if (window)
        window->pumpMessages(400);
    if (box && window)
        window->showError(text);
    telephony_.debugOutput(text + "\n");
}

}  // namespace ctlite

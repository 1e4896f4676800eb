// The line's conversation with a telephony library that the test steers, and with
// a window whose message pump delivers the callbacks the test queues.
#include "addressbook/phone/tapi_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace ctlite;

namespace {

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

class FakeTelephony : public Telephony {
public:
    std::vector<LineCaps> devices{
        {line::kBearerVoice, line::kMediaDataModem, line::kLineFeatureMakeCall}};
    std::uint32_t addressFeatureBits = line::kAddressFeatureMakeCall;
    std::map<std::string, line::Result> failures;
    std::set<std::string> fillNothing;
    std::vector<std::string> calls;
    // Out-parameters that held something when they were handed over.
    std::vector<std::string> notEmpty;

    line::Result initialize(std::uintptr_t, const char* appName, std::uint32_t& lineApp,
                            std::uint32_t& count) override {
        calls.push_back(std::string("lineInitialize ") + appName);
        return answer("lineInitialize", {{&lineApp, 0x10001}, {&count, devicesCount()}});
    }
    line::Result negotiateVersion(std::uint32_t, std::uint32_t device,
                                  std::uint32_t& version) override {
        calls.push_back("lineNegotiateAPIVersion " + std::to_string(device));
        return answer("lineNegotiateAPIVersion", {{&version, line::kHighestVersion}});
    }
    line::Result deviceCaps(std::uint32_t, std::uint32_t device, std::uint32_t,
                            LineCaps& caps) override {
        calls.push_back("lineGetDevCaps " + std::to_string(device));
        if (auto f = failures.find("lineGetDevCaps"); f != failures.end())
            return f->second;
        caps = devices.at(device);
        return 0;
    }
    line::Result open(std::uint32_t, std::uint32_t device, std::uint32_t& opened, std::uint32_t,
                      std::uint32_t, std::uint32_t) override {
        calls.push_back("lineOpen " + std::to_string(device));
        return answer("lineOpen", {{&opened, 0x20000 + device}});
    }
    line::Result addressFeatures(std::uint32_t held, std::uint32_t, std::uint32_t& bits) override {
        calls.push_back("lineGetAddressStatus " + hex(held));
        return answer("lineGetAddressStatus", {{&bits, addressFeatureBits}});
    }
    line::Result makeCall(std::uint32_t held, std::uint32_t& call, const std::string& dialString,
                          std::uint32_t, const CallParams&) override {
        calls.push_back("lineMakeCall " + hex(held) + " " + dialString);
        return answer("lineMakeCall", {{&call, nextCall++}});
    }
    line::Result callLine(std::uint32_t call, std::uint32_t& onLine) override {
        calls.push_back("lineGetCallInfo " + hex(call));
        return answer("lineGetCallInfo", {{&onLine, 0x20000}});
    }
    line::Result callState(std::uint32_t call, std::uint32_t& state) override {
        calls.push_back("lineGetCallStatus " + hex(call));
        return answer("lineGetCallStatus", {{&state, line::kConnected}});
    }
    line::Result commHandle(std::uint32_t call, std::uintptr_t& comm) override {
        calls.push_back("lineGetID " + hex(call));
        if (comm != 0)
            notEmpty.push_back("lineGetID");
        if (fillNothing.count("lineGetID") == 0)
            comm = 0x77;
        return failure("lineGetID");
    }
    line::Result drop(std::uint32_t call) override { return record("lineDrop", call); }
    line::Result deallocateCall(std::uint32_t call) override {
        return record("lineDeallocateCall", call);
    }
    line::Result close(std::uint32_t held) override { return record("lineClose", held); }
    line::Result shutdown(std::uint32_t lineApp) override {
        return record("lineShutdown", lineApp);
    }
    bool closeComm(std::uintptr_t comm) override {
        calls.push_back("CloseHandle " + hex(static_cast<std::uint32_t>(comm)));
        return true;
    }
    void debugOutput(const std::string&) override {}

private:
    struct Out {
        std::uint32_t* value;
        std::uint32_t given;
    };
    std::uint32_t devicesCount() const { return static_cast<std::uint32_t>(devices.size()); }
    line::Result failure(const std::string& name) const {
        auto f = failures.find(name);
        return f == failures.end() ? 0 : f->second;
    }
    line::Result answer(const std::string& name, std::initializer_list<Out> outs) {
        for (const Out& out : outs)
            if (*out.value != 0)
                notEmpty.push_back(name);
        if (line::Result result = failure(name))
            return result;
        if (fillNothing.count(name) == 0)
            for (const Out& out : outs)
                *out.value = out.given;
        return name == "lineMakeCall" ? 1 : 0;
    }
    line::Result record(const std::string& name, std::uint32_t handle) {
        calls.push_back(name + " " + hex(handle));
        return failure(name);
    }
    std::uint32_t nextCall = 0x30001;
};

class FakeWindow : public LineWindow {
public:
    std::map<std::string, std::uintptr_t> properties;
    std::vector<std::string> boxes;
    // Run one by one by the pumps, as callbacks arriving while messages are handled.
    std::deque<std::function<void()>> arriving;

    std::uintptr_t moduleInstance() const override { return 0x400000; }
    void setProperty(const char* name, std::uintptr_t value) override { properties[name] = value; }
    std::uintptr_t property(const char* name) const override {
        auto found = properties.find(name);
        return found == properties.end() ? 0 : found->second;
    }
    void pumpMessages(unsigned) override {
        if (arriving.empty())
            return;
        auto next = arriving.front();
        arriving.pop_front();
        next();
    }
    void showError(const std::string& text) override { boxes.push_back(text); }
};

class TapiLineTest : public testing::Test {
protected:
    void callState(std::uint32_t call, std::uint32_t state, std::uint32_t mode = 0) {
        TapiLine::deliver({call, line::kCallStateMessage, 0, state, mode, 0});
    }
    // The calls recorded whose name starts with one of these.
    std::vector<std::string> released() const {
        std::vector<std::string> out;
        for (const std::string& call : api.calls)
            for (const char* name :
                 {"lineDrop", "lineDeallocateCall", "lineClose", "lineShutdown", "CloseHandle"})
                if (call.rfind(name, 0) == 0)
                    out.push_back(call);
        return out;
    }

    FakeTelephony api;
    FakeWindow window;
    TapiLine phone{api};
};

}  // namespace

TEST_F(TapiLineTest, TheLineIsChosenByBearerMediaAndFeature) {
    const LineCaps good{line::kBearerVoice, line::kMediaDataModem, line::kLineFeatureMakeCall};
    const LineCaps noModem{line::kBearerVoice, 0x4, line::kLineFeatureMakeCall};
    const LineCaps noVoice{0x2, line::kMediaDataModem, line::kLineFeatureMakeCall};
    const LineCaps noMakeCall{line::kBearerVoice, line::kMediaDataModem, 0x1};
    const struct {
        std::vector<LineCaps> devices;
        const char* failing;
        const char* box;       // empty: the call is placed
        const char* lastCall;  // the line opened, or the last call before the box
    } cases[] = {
        {{noModem, noVoice, good}, "", "", "lineOpen 2"},
        {{noModem, noVoice, noMakeCall},
         "",
         "The devices are not capable of placing outbound calls.",
         "lineGetDevCaps 2"},
        {{},
         "",
         "The devices are not capable of placing outbound calls.",
         "lineInitialize ZUD TAPI"},
        {{good, good}, "lineOpen", "Error Code", "lineOpen 1"},
        {{good}, "lineGetDevCaps", "DeviceCaps Error", "lineGetDevCaps 0"},
        {{good},
         "lineGetAddressStatus",
         "Line is defected. Cannot dial.",
         "lineGetAddressStatus 0x20000"},
        {{good}, "lineInitialize", "Tapi error...", "lineInitialize ZUD TAPI"},
    };
    for (const auto& c : cases) {
        FakeTelephony fake;
        fake.devices = c.devices;
        if (*c.failing)
            fake.failures[c.failing] = line::kOperationFailed;
        FakeWindow shown;
        TapiLine tried(fake);
        tried.attachWindow(&shown);
        line::Result result = tried.dial("T5551234");
        std::vector<std::string> boxes;
        if (*c.box)
            boxes.push_back(c.box);
        EXPECT_EQ(shown.boxes, boxes) << c.lastCall;
        EXPECT_EQ(line::failed(result), *c.box != 0) << c.lastCall;
        // The line opened, or the call the dial gave up after.
        std::vector<std::string> opened;
        for (const std::string& call : fake.calls)
            if (call.rfind("lineOpen", 0) == 0)
                opened.push_back(call);
        EXPECT_EQ(*c.box ? fake.calls.back() : opened.back(), c.lastCall);
        EXPECT_TRUE(*c.box || opened.size() == 1) << c.lastCall;
    }
}

TEST_F(TapiLineTest, LineOrModemInUseWhenTheAddressCannotMakeCalls) {
    api.addressFeatureBits = 0x1;
    phone.attachWindow(&window);
    EXPECT_TRUE(line::failed(phone.dial("T1")));
    EXPECT_EQ(window.boxes, std::vector<std::string>{"Line or modem in use. Cannot dial."});
    EXPECT_EQ(window.property("HLINE"), 0u);
}

TEST_F(TapiLineTest, OutParametersAreEmptyWhenHandedOverAndUnfilledOnesAreNotReleased) {
    // A library that accepts but fills nothing, as a stub does, on the second call.
    phone.attachWindow(&window);
    ASSERT_FALSE(line::failed(phone.dial("T1")));
    api.fillNothing = {"lineMakeCall", "lineGetID"};
    ASSERT_FALSE(line::failed(phone.dial("T2")));
    callState(0x30001, line::kConnected);
    EXPECT_EQ(api.notEmpty, std::vector<std::string>{});
    phone.hangUp();
    EXPECT_EQ(released(),
              (std::vector<std::string>{"lineDrop 0x30001", "lineDeallocateCall 0x30001",
                                        "lineClose 0x20000", "lineShutdown 0x10001"}));
}

TEST_F(TapiLineTest, AStopFromACallbackDuringTheStopsOwnStatusesReleasesEachHandleOnce) {
    phone.attachWindow(&window);
    ASSERT_FALSE(line::failed(phone.dial("T1")));
    callState(0x30001, line::kConnected);
    // The call goes idle (the drop took) while "Call Dropped..." shows.
    window.arriving.push_back([] {});  // "Stopping Call in progress..."
    window.arriving.push_back([&] { callState(0x30001, line::kIdle); });
    phone.hangUp();
    EXPECT_EQ(released(), (std::vector<std::string>{"CloseHandle 0x77", "lineDrop 0x30001",
                                                    "lineDeallocateCall 0x30001",
                                                    "lineClose 0x20000", "lineShutdown 0x10001"}));
    EXPECT_FALSE(phone.initialised());
}

TEST_F(TapiLineTest, AStopWhileDialShowsAStatusEndsTheDial) {
    phone.attachWindow(&window);
    ASSERT_FALSE(line::failed(phone.dial("T1")));
    window.arriving.clear();
    phone.hangUp();
    api.calls.clear();
    // The next dial initialises again; a stop arrives while "Tapi initialized..." shows.
    phone.attachWindow(&window);
    window.arriving.push_back([&] { phone.hangUp(); });
    EXPECT_TRUE(line::failed(phone.dial("T1")));
    EXPECT_EQ(api.calls,
              (std::vector<std::string>{"lineInitialize ZUD TAPI", "lineShutdown 0x10001"}));
}

TEST_F(TapiLineTest, ABusyLineDuringDialsWaitStopsTheCallAndDialStillReportsItPlaced) {
    phone.attachWindow(&window);
    window.arriving.push_back([] {});  // "Tapi initialized..."
    window.arriving.push_back([&] { callState(0x30001, line::kBusy); });
    EXPECT_FALSE(line::failed(phone.dial("T1")));
    EXPECT_EQ(window.boxes, std::vector<std::string>{"Line busy, shutting down..."});
    EXPECT_EQ(released(),
              (std::vector<std::string>{"lineDrop 0x30001", "lineDeallocateCall 0x30001",
                                        "lineClose 0x20000", "lineShutdown 0x10001"}));
    EXPECT_EQ(phone.lastStatus(), "Call stopped...");
}

TEST_F(TapiLineTest, CallStatesOfAnotherCallOnlyReportTheUnknownDevice) {
    phone.attachWindow(&window);
    callState(0, line::kIdle);  // no call held yet
    EXPECT_EQ(phone.lastStatus(), "LINE_CALLSTATE: Unknown device ID ...");
    ASSERT_FALSE(line::failed(phone.dial("T1")));
    callState(0x30009, line::kBusy);
    EXPECT_EQ(phone.lastStatus(), "LINE_CALLSTATE: Unknown device ID ...");
    EXPECT_EQ(window.boxes, std::vector<std::string>{});
    EXPECT_TRUE(phone.initialised());
}

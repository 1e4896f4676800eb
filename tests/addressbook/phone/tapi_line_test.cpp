// The line's conversation with a telephony library that the test steers, and with
// a window whose message pump delivers the callbacks the test queues.
#include "addressbook/phone/tapi_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace ctlite;

namespace {

std::string named(const std::string& name, std::uint32_t handle) {
    char text[48];
    std::snprintf(text, sizeof text, "%s 0x%x", name.c_str(), handle);
    return text;
}

// Lines of the capabilities given; every call is recorded by name and handle.
class FakeTelephony : public Telephony {
public:
    std::vector<LineCaps> devices{
        {line::kBearerVoice, line::kMediaDataModem, line::kLineFeatureMakeCall}};
    std::map<std::string, line::Result> failures;
    std::set<std::string> fillNothing;  // accepted, but nothing written
    std::vector<std::string> calls;
    std::vector<std::string> notEmpty;  // out-parameters that held something when handed over

    line::Result initialize(std::uintptr_t, const char*, std::uint32_t& app,
                            std::uint32_t& count) override {
        return answer("lineInitialize", 0, {{&app, 0x10001}, {&count, size(devices)}});
    }
    line::Result negotiateVersion(std::uint32_t, std::uint32_t device,
                                  std::uint32_t& version) override {
        return answer("lineNegotiateAPIVersion", device, {{&version, line::kHighestVersion}});
    }
    line::Result deviceCaps(std::uint32_t, std::uint32_t device, std::uint32_t,
                            LineCaps& caps) override {
        line::Result result = answer("lineGetDevCaps", device, {});
        if (!line::failed(result))
            caps = devices.at(device);
        return result;
    }
    line::Result open(std::uint32_t, std::uint32_t device, std::uint32_t& opened, std::uint32_t,
                      std::uint32_t, std::uint32_t) override {
        return answer("lineOpen", device, {{&opened, 0x20000 + device}});
    }
    line::Result addressFeatures(std::uint32_t held, std::uint32_t, std::uint32_t& bits) override {
        return answer("lineGetAddressStatus", held, {{&bits, line::kAddressFeatureMakeCall}});
    }
    line::Result makeCall(std::uint32_t held, std::uint32_t& call, const std::string&,
                          std::uint32_t, const CallParams&) override {
        line::Result result = answer("lineMakeCall", held, {{&call, nextCall++}});
        return line::failed(result) ? result : 1;  // a request number
    }
    line::Result callLine(std::uint32_t call, std::uint32_t& onLine) override {
        return answer("lineGetCallInfo", call, {{&onLine, 0x20000}});
    }
    line::Result callState(std::uint32_t call, std::uint32_t& state) override {
        return answer("lineGetCallStatus", call, {{&state, line::kConnected}});
    }
    line::Result commHandle(std::uint32_t call, std::uintptr_t& comm) override {
        std::uint32_t handle = static_cast<std::uint32_t>(comm);
        line::Result result = answer("lineGetID", call, {{&handle, 0x77}});
        comm = handle;
        return result;
    }
    line::Result drop(std::uint32_t call) override { return answer("lineDrop", call, {}); }
    line::Result deallocateCall(std::uint32_t call) override {
        return answer("lineDeallocateCall", call, {});
    }
    line::Result close(std::uint32_t held) override { return answer("lineClose", held, {}); }
    line::Result shutdown(std::uint32_t app) override { return answer("lineShutdown", app, {}); }
    bool closeComm(std::uintptr_t comm) override {
        return !line::failed(answer("CloseHandle", static_cast<std::uint32_t>(comm), {}));
    }
    void debugOutput(const std::string&) override {}

private:
    struct Out {
        std::uint32_t* value;
        std::uint32_t given;
    };
    static std::uint32_t size(const std::vector<LineCaps>& v) {
        return static_cast<std::uint32_t>(v.size());
    }
    line::Result answer(const std::string& name, std::uint32_t argument,
                        std::initializer_list<Out> outs) {
        calls.push_back(named(name, argument));
        for (const Out& out : outs)
            if (*out.value != 0)
                notEmpty.push_back(name);
        if (auto f = failures.find(name); f != failures.end())
            return f->second;
        if (fillNothing.count(name) == 0)
            for (const Out& out : outs)
                *out.value = out.given;
        return 0;
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
    void SetUp() override { phone.attachWindow(&window); }
    static void callState(std::uint32_t call, std::uint32_t state) {
        TapiLine::deliver({call, line::kCallStateMessage, 0, state, 0, 0});
    }
    // What the line gave back to the library or the system, in order.
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

const std::vector<std::string> kAllReleased = {"lineDrop 0x30001", "lineDeallocateCall 0x30001",
                                               "lineClose 0x20000", "lineShutdown 0x10001"};

}  // namespace

TEST_F(TapiLineTest, TheLineIsChosenByBearerMediaAndFeature) {
    const LineCaps good{line::kBearerVoice, line::kMediaDataModem, line::kLineFeatureMakeCall};
    const LineCaps noModem{line::kBearerVoice, 0x4, line::kLineFeatureMakeCall};
    const LineCaps noVoice{0x2, line::kMediaDataModem, line::kLineFeatureMakeCall};
    const LineCaps noMakeCall{line::kBearerVoice, line::kMediaDataModem, 0x1};
    const struct {
        std::vector<LineCaps> devices;
        const char* failing;
        const char* result;  // the line called on, or the box
    } cases[] = {
        {{noModem, noVoice, good}, "", "lineMakeCall 0x20002"},
        {{noModem, noVoice, noMakeCall},
         "",
         "The devices are not capable of placing outbound calls."},
        {{}, "", "The devices are not capable of placing outbound calls."},
        {{good, good}, "lineOpen", "Error Code"},
        {{good}, "lineGetAddressStatus", "Line is defected. Cannot dial."},
    };
    for (const auto& c : cases) {
        FakeTelephony fake;
        fake.devices = c.devices;
        if (*c.failing)
            fake.failures[c.failing] = line::kOperationFailed;
        FakeWindow shown;
        TapiLine tried(fake);
        tried.attachWindow(&shown);
        const bool placed = !line::failed(tried.dial("T5551234"));
        EXPECT_EQ(placed ? fake.calls.back() : shown.boxes.at(0), c.result);
    }
}

TEST_F(TapiLineTest, OutParametersAreEmptyWhenHandedOverAndUnfilledOnesAreNotReleased) {
    ASSERT_FALSE(line::failed(phone.dial("T1")));
    // The library accepts the second call but writes nothing, as a stub does.
    api.fillNothing = {"lineMakeCall", "lineGetID"};
    ASSERT_FALSE(line::failed(phone.dial("T2")));
    callState(0x30001, line::kConnected);
    EXPECT_EQ(api.notEmpty, std::vector<std::string>{});
    phone.hangUp();
    EXPECT_EQ(released(), kAllReleased);
}

TEST_F(TapiLineTest, AStopFromACallbackDuringTheStopsOwnStatusesReleasesEachHandleOnce) {
    ASSERT_FALSE(line::failed(phone.dial("T1")));
    callState(0x30001, line::kConnected);
    // The call goes idle (the drop took) while "Call Dropped..." shows.
    window.arriving.push_back([] {});  // "Stopping Call in progress..."
    window.arriving.push_back([] { callState(0x30001, line::kIdle); });
    phone.hangUp();
    std::vector<std::string> once = {"CloseHandle 0x77"};
    once.insert(once.end(), kAllReleased.begin(), kAllReleased.end());
    EXPECT_EQ(released(), once);
}

TEST_F(TapiLineTest, AStopWhileDialShowsAStatusEndsTheDial) {
    // A stop arrives while "Tapi initialized..." shows.
    window.arriving.push_back([&] { phone.hangUp(); });
    EXPECT_TRUE(line::failed(phone.dial("T1")));
    EXPECT_EQ(api.calls, (std::vector<std::string>{"lineInitialize 0x0", "lineShutdown 0x10001"}));
}

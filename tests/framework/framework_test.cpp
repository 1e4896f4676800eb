// The window layer under Wine: control helpers, message tables (with the tables a
// class leaves out), the exception guard, and the pumps' handling of WM_QUIT.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "framework/dialog.h"
#include "framework/message_loop.h"
#include "framework/window.h"
#include "tests/framework/framework_test_resource.h"

namespace {

constexpr UINT kProbeMessage = WM_APP + 1;
constexpr UINT kThrowingMessage = WM_APP + 2;

// The WM_QUIT left in the queue, if any: its exit code.
std::optional<int> waitingQuit() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return std::nullopt;
    return static_cast<int>(message.wParam);
}

// A dialog that works its controls through the helpers as soon as it is made.
class ProbeDialog : public fw::DialogImpl<ProbeDialog> {
public:
    static const fw::CommandEntry<ProbeDialog> kCommands[];

    explicit ProbeDialog(std::string text) : text_(std::move(text)) {}

    std::string readBack;
    bool checkedAfterSet = false, uncheckedAfterClear = false, disabled = false;
    int clicks = 0;

private:
    BOOL onInit() override {
        setItemText(IDC_PROBE_EDIT, text_);
        readBack = itemText(IDC_PROBE_EDIT);
        setChecked(IDC_PROBE_CHECK, true);
        checkedAfterSet = isChecked(IDC_PROBE_CHECK);
        setChecked(IDC_PROBE_CHECK, false);
        uncheckedAfterClear = !isChecked(IDC_PROBE_CHECK);
        enableItem(IDC_PROBE_BUTTON, false);
        disabled = !IsWindowEnabled(item(IDC_PROBE_BUTTON));
        enableItem(IDC_PROBE_BUTTON);
        // A click that throws, then one that ends the dialog: the first must not
        // unwind through Windows.
        PostMessageA(handle(), WM_COMMAND, MAKEWPARAM(IDC_PROBE_BUTTON, BN_CLICKED), 0);
        PostMessageA(handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return TRUE;
    }
    void onButton() {
        ++clicks;
        throw std::runtime_error("a handler's failure");
    }
    void onOk() { end(IDOK); }

    std::string text_;
};
const fw::CommandEntry<ProbeDialog> ProbeDialog::kCommands[] = {
    {IDC_PROBE_BUTTON, BN_CLICKED, &ProbeDialog::onButton},
    {IDOK, BN_CLICKED, &ProbeDialog::onOk},
    {0, 0, nullptr},
};

TEST(DialogTest, ControlHelpersReadBackWhatTheySetWhateverTheLength) {
    for (std::size_t length : {0u, 1u, 255u, 256u, 511u, 512u, 4000u}) {
        ProbeDialog dialog(std::string(length, 'x'));
        ASSERT_EQ(dialog.runModal(IDD_PROBE, nullptr), IDOK) << length;
        EXPECT_EQ(dialog.readBack.size(), length);
        EXPECT_TRUE(dialog.checkedAfterSet);
        EXPECT_TRUE(dialog.uncheckedAfterClear);
        EXPECT_TRUE(dialog.disabled);
        EXPECT_EQ(dialog.clicks, 1);
        EXPECT_EQ(dialog.handle(), nullptr);
    }
}

// A dialog with neither table: every message goes to the dialog manager's default.
class PlainDialog : public fw::DialogImpl<PlainDialog> {
    BOOL onInit() override {
        SendMessageA(handle(), WM_COMMAND, MAKEWPARAM(IDC_PROBE_BUTTON, BN_CLICKED), 0);
        end(IDCANCEL);
        return TRUE;
    }
};

TEST(DialogTest, AClassWithoutTablesRunsAndEnds) {
    PlainDialog dialog;
    EXPECT_EQ(dialog.runModal(IDD_PROBE, nullptr), IDCANCEL);
    EXPECT_EQ(PlainDialog().runModal(9999, nullptr), -1);  // no such template
}

// A plain window counting one message and throwing on another.
class CountingWindow : public fw::WindowImpl<CountingWindow> {
public:
    static const fw::MessageEntry<CountingWindow> kMessages[];
    int probes = 0;

    bool make() {
        WNDCLASSEXA shape{};
        shape.hInstance = GetModuleHandleA(nullptr);
        shape.lpszClassName = "FrameworkTestWindow";
        return create(shape, 0, "test", WS_POPUP, 0, 0, 10, 10, nullptr) != nullptr;
    }

private:
    INT_PTR onProbe(WPARAM, LPARAM) { return ++probes; }
    INT_PTR onThrowing(WPARAM, LPARAM) { throw std::runtime_error("a handler's failure"); }
};
const fw::MessageEntry<CountingWindow> CountingWindow::kMessages[] = {
    {kProbeMessage, &CountingWindow::onProbe},
    {kThrowingMessage, &CountingWindow::onThrowing},
    {0, nullptr},
};

TEST(WindowTest, TableHandlersAnswerAndAThrowingHandlerFallsBackToTheDefault) {
    CountingWindow window;
    ASSERT_TRUE(window.make());
    EXPECT_EQ(SendMessageA(window.handle(), kProbeMessage, 0, 0), 1);
    EXPECT_EQ(SendMessageA(window.handle(), kThrowingMessage, 0, 0), 0);
    EXPECT_EQ(SendMessageA(window.handle(), kProbeMessage, 0, 0), 2);
    EXPECT_EQ(fw::windowText(window.handle()), "test");
    fw::setWindowText(window.handle(), std::string(700, 'w'));
    EXPECT_EQ(fw::windowText(window.handle()), std::string(700, 'w'));
}

TEST(MessageLoopTest, APumpThatMeetsWmQuitLeavesItForTheLoopOutside) {
    CountingWindow window;
    ASSERT_TRUE(window.make());
    PostMessageA(window.handle(), kProbeMessage, 0, 0);
    PostQuitMessage(7);
    EXPECT_FALSE(fw::pumpWaitingMessages());
    EXPECT_EQ(window.probes, 1);
    EXPECT_EQ(waitingQuit(), 7);
    EXPECT_TRUE(fw::pumpWaitingMessages());
    EXPECT_EQ(waitingQuit(), std::nullopt);
}

TEST(MessageLoopTest, AWaitDispatchesUntilItsObjectIsSignalledAndKeepsWmQuit) {
    CountingWindow window;
    ASSERT_TRUE(window.make());
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND target = window.handle();
    std::thread signaller([&] {
        // Posted first, so the wait meets them while it serves the sent message.
        PostMessageA(target, kProbeMessage, 0, 0);
        PostThreadMessageA(GetWindowThreadProcessId(target, nullptr), WM_QUIT, 3, 0);
        SendMessageA(target, kProbeMessage, 0, 0);
        SetEvent(event);
    });
    EXPECT_EQ(fw::waitDispatching(event, 10000), WAIT_OBJECT_0);
    signaller.join();
    EXPECT_EQ(window.probes, 2);
    EXPECT_EQ(waitingQuit(), 3);

    ResetEvent(event);
    EXPECT_EQ(fw::waitDispatching(event, 50), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(event);
}

TEST(MessageLoopTest, TheLoopEndsWithTheQuitCode) {
    PostQuitMessage(42);
    EXPECT_EQ(fw::runMessageLoop(), 42);
}

}  // namespace

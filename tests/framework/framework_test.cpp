// The window layer under Wine: control helpers, message tables (with the tables a
// class leaves out), the exception guard, the pumps' handling of WM_QUIT,
// modeless dialogs that get their keys in every pump, and data tables.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "framework/control.h"
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
    std::function<void()> onProbeDone;

    bool make() {
        WNDCLASSEXA shape{};
        shape.hInstance = GetModuleHandleA(nullptr);
        shape.lpszClassName = "FrameworkTestWindow";
        return create(shape, 0, "test", WS_POPUP, 0, 0, 10, 10, nullptr) != nullptr;
    }

private:
    INT_PTR onProbe(WPARAM, LPARAM) {
        ++probes;
        if (onProbeDone)
            onProbeDone();
        return probes;
    }
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

// A modeless dialog with two edits, OK (the default button) and Cancel: it counts
// its OK presses and ends on Cancel.
class KeysDialog : public fw::DialogImpl<KeysDialog> {
public:
    static const fw::CommandEntry<KeysDialog> kCommands[];
    int oks = 0;
    // Set when Cancel ended it: the OK presses of the other dialog by then.
    std::function<void()> onEnded;

    HWND edit(int id) const { return item(id); }
    // A key as the keyboard would queue it for `control`.
    void postKey(int control, WPARAM key) const { PostMessageA(item(control), WM_KEYDOWN, key, 1); }

private:
    void onOk() { ++oks; }
    void onCancel() {
        end(IDCANCEL);
        if (onEnded)
            onEnded();
    }
};
const fw::CommandEntry<KeysDialog> KeysDialog::kCommands[] = {
    {IDOK, BN_CLICKED, &KeysDialog::onOk},
    {IDCANCEL, BN_CLICKED, &KeysDialog::onCancel},
    {0, 0, nullptr},
};

// Two modeless dialogs open at once, the second made last.
class ModelessDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(first.createModeless(IDD_KEYS, nullptr), nullptr);
        ASSERT_NE(second.createModeless(IDD_KEYS, nullptr), nullptr);
    }
    void TearDown() override {
        // Nothing left for the next test's pumps.
        fw::pumpWaitingMessages();
        EXPECT_EQ(waitingQuit(), std::nullopt);
    }

    KeysDialog first, second;
};

// fw::runMessageLoop(dialog), given at most ten seconds: a dialog that never
// closes makes the loop end with WM_QUIT 99 (and the test fail) rather than hang.
int runLoopUntilClosed(HWND dialog) {
    HANDLE finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD thread = GetCurrentThreadId();
    std::thread watchdog([&] {
        if (WaitForSingleObject(finished, 10000) == WAIT_TIMEOUT)
            PostThreadMessageA(thread, WM_QUIT, 99, 0);
    });
    int code = fw::runMessageLoop(dialog);
    SetEvent(finished);
    watchdog.join();
    CloseHandle(finished);
    return code;
}

// The three ways the program lets messages through, each run until the keys
// posted so far have been handled.
struct Pump {
    const char* name;
    void (*run)(const KeysDialog& last);
};

constexpr UINT kDoneMessage = WM_APP + 3;

const Pump kPumps[] = {
    {"pumpWaitingMessages", [](const KeysDialog&) { EXPECT_TRUE(fw::pumpWaitingMessages()); }},
    {"waitDispatching",
     [](const KeysDialog&) {
         // The event is set by a message queued behind the keys.
         HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
         CountingWindow signal;
         ASSERT_TRUE(signal.make());
         signal.onProbeDone = [done] { SetEvent(done); };
         PostMessageA(signal.handle(), kProbeMessage, 0, 0);
         EXPECT_EQ(fw::waitDispatching(done, 10000), WAIT_OBJECT_0);
         CloseHandle(done);
     }},
    {"runMessageLoop until a dialog closes",
     [](const KeysDialog& last) {
         // Escape, queued behind the keys, closes the dialog the loop runs for.
         last.postKey(IDC_KEYS_FIRST, VK_ESCAPE);
         EXPECT_EQ(runLoopUntilClosed(last.handle()), 0);
     }},
};

TEST_F(ModelessDialogs, EnterAndTabReachTheDialogTheyAreTypedIntoInEveryPump) {
    for (const Pump& pump : kPumps) {
        SCOPED_TRACE(pump.name);
        KeysDialog third;
        ASSERT_NE(third.createModeless(IDD_KEYS, nullptr), nullptr);
        int firstOks = first.oks, secondOks = second.oks;
        SetFocus(first.edit(IDC_KEYS_FIRST));
        first.postKey(IDC_KEYS_FIRST, VK_TAB);
        second.postKey(IDC_KEYS_SECOND, VK_RETURN);
        second.postKey(IDC_KEYS_FIRST, VK_RETURN);
        pump.run(third);
        EXPECT_EQ(GetFocus(), first.edit(IDC_KEYS_SECOND));
        EXPECT_EQ(first.oks, firstOks);
        EXPECT_EQ(second.oks, secondOks + 2);
        EXPECT_EQ(third.oks, 0);
        EXPECT_EQ(waitingQuit(), std::nullopt);
    }
}

TEST_F(ModelessDialogs, ClosingOneLeavesTheOtherAndTheLoopRunning) {
    int secondOksWhenFirstEnded = -1;
    first.onEnded = [&] { secondOksWhenFirstEnded = second.oks; };
    // Escape closes the first; Enter then still reaches the second, and its
    // Escape ends the loop that runs until it closes.
    first.postKey(IDC_KEYS_FIRST, VK_ESCAPE);
    second.postKey(IDC_KEYS_FIRST, VK_RETURN);
    second.postKey(IDC_KEYS_FIRST, VK_ESCAPE);
    EXPECT_EQ(runLoopUntilClosed(second.handle()), 0);
    EXPECT_EQ(secondOksWhenFirstEnded, 0);
    EXPECT_EQ(second.oks, 1);
    EXPECT_EQ(first.handle(), nullptr);
    EXPECT_EQ(second.handle(), nullptr);
    EXPECT_EQ(waitingQuit(), std::nullopt);  // closing a dialog ends no loop
}

TEST_F(ModelessDialogs, ALoopRunForADialogEndsAtWmQuitAndLeavesItForTheLoopOutside) {
    PostQuitMessage(5);
    EXPECT_EQ(fw::runMessageLoop(first.handle()), 5);
    EXPECT_NE(first.handle(), nullptr);
    EXPECT_EQ(waitingQuit(), 5);
}

// A main window that opens a modeless dialog and ends when told.
class MainDialog : public fw::DialogImpl<MainDialog> {
public:
    static const fw::MessageEntry<MainDialog> kMessages[];
    KeysDialog search;
    bool searchClosedAtEnd = false;

private:
    BOOL onInit() override {
        search.createModeless(IDD_KEYS, handle());
        search.postKey(IDC_KEYS_FIRST, VK_RETURN);
        search.postKey(IDC_KEYS_FIRST, VK_ESCAPE);
        PostMessageA(handle(), kDoneMessage, 0, 0);
        return TRUE;
    }
    INT_PTR onDone(WPARAM, LPARAM) {
        searchClosedAtEnd = search.handle() == nullptr;
        end(7);
        return TRUE;
    }
};
const fw::MessageEntry<MainDialog> MainDialog::kMessages[] = {
    {kDoneMessage, &MainDialog::onDone},
    {0, nullptr},
};

TEST(MainWindowTest, ItsModelessDialogsGetTheirKeysAndItsEndIsItsResult) {
    MainDialog window;
    EXPECT_EQ(window.runAsMainWindow(IDD_PROBE), 7);
    EXPECT_EQ(window.search.oks, 1);
    EXPECT_TRUE(window.searchClosedAtEnd);
    EXPECT_EQ(window.handle(), nullptr);
    EXPECT_EQ(waitingQuit(), std::nullopt);
    EXPECT_EQ(MainDialog().runAsMainWindow(9999), -1);  // no such template
}

// ---- data exchange

// A dialog whose controls are bound to its members: it records what the controls
// showed, lets a test type into them, reads them back and ends.
class DataDialog : public fw::DialogImpl<DataDialog> {
public:
    static const fw::DataEntry<DataDialog> kData[];

    std::string name;
    bool flag = false;
    int count = 0, choice = 0, other = 0;

    std::function<void(DataDialog&)> typing;
    // What the controls showed, and what the save said.
    std::string shownName, shownCount;
    bool shownFlag = false;
    int shownChoice = -1, shownOther = -1;
    LRESULT nameLimit = 0;
    bool saved = false;
    int focusAfterSave = 0;

    void type(int id, const char* text) const { setItemText(id, text); }
    void check(int id, bool on) const { setChecked(id, on); }

private:
    int checkedOf(std::initializer_list<int> ids) const {
        int place = 0, found = -1;
        for (int id : ids) {
            if (isChecked(id))
                found = found < 0 ? place : 99;  // two checked: wrong either way
            ++place;
        }
        return found;
    }
    BOOL onInit() override {
        shownName = itemText(IDC_DATA_TEXT);
        shownFlag = isChecked(IDC_DATA_CHECK);
        shownCount = itemText(IDC_DATA_NUMBER);
        shownChoice = checkedOf({IDC_DATA_RADIO_A, IDC_DATA_RADIO_B, IDC_DATA_RADIO_C});
        shownOther = checkedOf({IDC_DATA_OTHER_A, IDC_DATA_OTHER_B});
        nameLimit = sendItem(IDC_DATA_TEXT, EM_GETLIMITTEXT);
        if (typing)
            typing(*this);
        saved = saveData();
        focusAfterSave = GetDlgCtrlID(GetFocus());
        end(IDOK);
        return FALSE;
    }
};
const fw::DataEntry<DataDialog> DataDialog::kData[] = {
    {IDC_DATA_TEXT, fw::DataKind::Text, &DataDialog::name, 20},
    {IDC_DATA_CHECK, fw::DataKind::Check, &DataDialog::flag},
    {IDC_DATA_NUMBER, fw::DataKind::Integer, &DataDialog::count},
    {IDC_DATA_RADIO_A, fw::DataKind::Radio, &DataDialog::choice},
    {IDC_DATA_OTHER_A, fw::DataKind::Radio, &DataDialog::other},
    {0, fw::DataKind::End},
};

struct DataCase {
    const char* what;
    std::function<void(DataDialog&)> typing;
    // Afterwards:
    bool saved;
    std::string name;
    bool flag;
    int count, choice, other;
};

TEST(DataExchangeTest, MembersFillTheControlsAndComeBackFromThem) {
    const DataCase cases[] = {
        {"untouched", nullptr, true, "Ann & Bob", true, -42, 2, 0},
        {"typed over",
         [](DataDialog& d) {
             d.type(IDC_DATA_TEXT, "Cy");
             d.check(IDC_DATA_CHECK, false);
             d.type(IDC_DATA_NUMBER, " 17 ");
             d.check(IDC_DATA_RADIO_C, false);
             d.check(IDC_DATA_RADIO_A, true);
             d.check(IDC_DATA_OTHER_A, false);
             d.check(IDC_DATA_OTHER_B, true);
         },
         true, "Cy", false, 17, 0, 1},
        {"a radio group with none checked",
         [](DataDialog& d) {
             for (int id : {IDC_DATA_RADIO_A, IDC_DATA_RADIO_B, IDC_DATA_RADIO_C})
                 d.check(id, false);
         },
         true, "Ann & Bob", true, -42, -1, 0},
        {"an integer that is not one",
         [](DataDialog& d) {
             d.type(IDC_DATA_TEXT, "kept");
             d.type(IDC_DATA_NUMBER, "12x");
         },
         false, "kept", true, -42, 2, 0},
        {"an integer too large", [](DataDialog& d) { d.type(IDC_DATA_NUMBER, "99999999999"); },
         false, "Ann & Bob", true, -42, 2, 0},
        {"an empty integer", [](DataDialog& d) { d.type(IDC_DATA_NUMBER, ""); }, false, "Ann & Bob",
         true, -42, 2, 0},
    };
    for (const DataCase& c : cases) {
        SCOPED_TRACE(c.what);
        DataDialog dialog;
        dialog.name = "Ann & Bob";
        dialog.flag = true;
        dialog.count = -42;
        dialog.choice = 2;
        dialog.other = 0;
        dialog.typing = c.typing;
        ASSERT_EQ(dialog.runModal(IDD_DATA, nullptr), IDOK);
        EXPECT_EQ(dialog.shownName, "Ann & Bob");
        EXPECT_TRUE(dialog.shownFlag);
        EXPECT_EQ(dialog.shownCount, "-42");
        EXPECT_EQ(dialog.shownChoice, 2);
        EXPECT_EQ(dialog.shownOther, 0);
        EXPECT_EQ(dialog.nameLimit, 20);
        EXPECT_EQ(dialog.saved, c.saved);
        if (!c.saved) {
            EXPECT_EQ(dialog.focusAfterSave, IDC_DATA_NUMBER);
        }
        EXPECT_EQ(dialog.name, c.name);
        EXPECT_EQ(dialog.flag, c.flag);
        EXPECT_EQ(dialog.count, c.count);
        EXPECT_EQ(dialog.choice, c.choice);
        EXPECT_EQ(dialog.other, c.other);
    }
}

// ---- typed entries

// A window and a dialog that answer one notification (control 5, NM_CLICK) with
// 11, count the ticks of timer 7 and keep the last size they were given.
struct TypedCounts {
    int clicks = 0, ticks = 0;
    UINT sizing = 99;
    int width = -1, height = -1;
};

class TypedWindow : public fw::WindowImpl<TypedWindow>, public TypedCounts {
public:
    static const fw::NotifyEntry<TypedWindow> kNotifies[];
    static const fw::TimerEntry<TypedWindow> kTimers[];
    static const fw::SizeEntry<TypedWindow> kSize;

    bool make() {
        WNDCLASSEXA shape{};
        shape.hInstance = GetModuleHandleA(nullptr);
        shape.lpszClassName = "FrameworkTypedWindow";
        return create(shape, 0, "typed", WS_POPUP, 0, 0, 10, 10, nullptr) != nullptr;
    }

private:
    LRESULT onClick(const NMHDR&) { return ++clicks, 11; }
    void onTick() { ++ticks; }
    void onSize(UINT how, int w, int h) { sizing = how, width = w, height = h; }
};
const fw::NotifyEntry<TypedWindow> TypedWindow::kNotifies[] = {
    {5, NM_CLICK, &TypedWindow::onClick},
    {0, 0, nullptr},
};
const fw::TimerEntry<TypedWindow> TypedWindow::kTimers[] = {{7, &TypedWindow::onTick},
                                                            {0, nullptr}};
const fw::SizeEntry<TypedWindow> TypedWindow::kSize = {&TypedWindow::onSize};

class TypedDialog : public fw::DialogImpl<TypedDialog>, public TypedCounts {
public:
    static const fw::NotifyEntry<TypedDialog> kNotifies[];
    static const fw::TimerEntry<TypedDialog> kTimers[];
    static const fw::SizeEntry<TypedDialog> kSize;

private:
    LRESULT onClick(const NMHDR&) { return ++clicks, 11; }
    void onTick() { ++ticks; }
    void onSize(UINT how, int w, int h) { sizing = how, width = w, height = h; }
};
const fw::NotifyEntry<TypedDialog> TypedDialog::kNotifies[] = {
    {5, NM_CLICK, &TypedDialog::onClick},
    {0, 0, nullptr},
};
const fw::TimerEntry<TypedDialog> TypedDialog::kTimers[] = {{7, &TypedDialog::onTick},
                                                            {0, nullptr}};
const fw::SizeEntry<TypedDialog> TypedDialog::kSize = {&TypedDialog::onSize};

LRESULT notify(HWND target, UINT_PTR id, UINT code) {
    NMHDR header{nullptr, id, code};
    return SendMessageA(target, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
}

TEST(TypedEntryTest, NotificationsTimersAndSizeReachTheirHandlersInWindowsAndDialogs) {
    TypedWindow window;
    ASSERT_TRUE(window.make());
    TypedDialog dialog;
    ASSERT_NE(dialog.createModeless(IDD_PROBE, nullptr), nullptr);
    struct Target {
        const char* name;
        HWND hwnd;
        const TypedCounts& counts;
    };
    for (const Target& t :
         {Target{"window", window.handle(), window}, Target{"dialog", dialog.handle(), dialog}}) {
        SCOPED_TRACE(t.name);
        // The handler's value is what the sender gets (a dialog's through DWLP_MSGRESULT).
        EXPECT_EQ(notify(t.hwnd, 5, NM_CLICK), 11);
        EXPECT_EQ(notify(t.hwnd, 6, NM_CLICK), 0);   // another control
        EXPECT_EQ(notify(t.hwnd, 5, NM_RCLICK), 0);  // another notification
        EXPECT_EQ(t.counts.clicks, 1);
        SendMessageA(t.hwnd, WM_TIMER, 7, 0);
        SendMessageA(t.hwnd, WM_TIMER, 8, 0);
        EXPECT_EQ(t.counts.ticks, 1);
        SetWindowPos(t.hwnd, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client;
        GetClientRect(t.hwnd, &client);
        EXPECT_EQ(t.counts.sizing, static_cast<UINT>(SIZE_RESTORED));
        EXPECT_EQ(t.counts.width, client.right);
        EXPECT_EQ(t.counts.height, client.bottom);
        EXPECT_GT(t.counts.width, 100);
    }
}

// A class that dispatches through its own tables, then its base's: it declares
// only the table it fills, and the base's tables keep working.
class DerivedWindow : public CountingWindow {
public:
    static const fw::TimerEntry<DerivedWindow> kTimers[];
    int ticks = 0;

protected:
    bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        return fw::dispatchThroughTables(this, message, wParam, lParam, result) ||
               CountingWindow::dispatch(message, wParam, lParam, result);
    }

private:
    void onTick() { ++ticks; }
};
const fw::TimerEntry<DerivedWindow> DerivedWindow::kTimers[] = {{7, &DerivedWindow::onTick},
                                                                {0, nullptr}};

TEST(TypedEntryTest, ADerivedClassNeedsNoEmptyTablesForWhatItsBaseHandles) {
    DerivedWindow window;
    ASSERT_TRUE(window.make());
    EXPECT_EQ(SendMessageA(window.handle(), kProbeMessage, 0, 0), 1);  // the base's table
    SendMessageA(window.handle(), WM_TIMER, 7, 0);                     // its own
    EXPECT_EQ(window.ticks, 1);
    EXPECT_EQ(window.probes, 1);
}

// ---- controls

// A list box with a table of its own: one message of ours, one the list box's
// own answer changed, the rest its own.
class ProbeList : public fw::ControlImpl<ProbeList> {
public:
    static const fw::MessageEntry<ProbeList> kMessages[];
    bool detached = false;

private:
    INT_PTR onProbe(WPARAM, LPARAM) { return 42; }
    INT_PTR onCount(WPARAM wParam, LPARAM lParam) {
        return callOriginal(LB_GETCOUNT, wParam, lParam) + 100;
    }
    void onDetached() override { detached = true; }
};
const fw::MessageEntry<ProbeList> ProbeList::kMessages[] = {
    {kProbeMessage, &ProbeList::onProbe},
    {LB_GETCOUNT, &ProbeList::onCount},
    {0, nullptr},
};

int propertyCount(HWND window) {
    int count = 0;
    EnumPropsExA(
        window, [](HWND, LPSTR, HANDLE, ULONG_PTR n) { return ++*reinterpret_cast<int*>(n), TRUE; },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST(ControlTest, ATableOnAStandardControlAnswersItsMessagesAndPassesTheRestOn) {
    CountingWindow parent;
    ASSERT_TRUE(parent.make());
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 50, 50, parent.handle(), nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(list, nullptr);
    ProbeList control;
    ASSERT_TRUE(control.attach(list));
    EXPECT_FALSE(ProbeList().attach(list));  // one object per control
    EXPECT_EQ(propertyCount(list), 0);       // bound without a window property
    EXPECT_EQ(SendMessageA(list, kProbeMessage, 0, 0), 42);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("two"));
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 102);
    char text[8] = "";
    SendMessageA(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "two");
    EXPECT_TRUE(IsWindowUnicode(list));  // as the standard control is
    DestroyWindow(list);
    EXPECT_TRUE(control.detached);
    EXPECT_EQ(control.handle(), nullptr);
}

}  // namespace

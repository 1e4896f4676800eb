// The Call command and "Make a call" in ctlite.exe, dialling through the line-device
// double (tests/doubles/tapi): the double takes the place of the system folder's
// TAPI32.DLL for the test, and ctlite.exe's own DllOverrides key makes Wine load it
// instead of its built-in library.
#include <windows.h>
// (after windows.h)
#include <shellapi.h>
#include <shlwapi.h>

#include <cctype>
#include <functional>
#include <sstream>

#include "tests/addressbook/ui/ctlite_helpers.h"

namespace {

constexpr char kOverrides[] = "Software\\Wine\\AppDefaults\\ctlite.exe\\DllOverrides";
// One modem line that can place data-modem calls.
constexpr char kModem[] = "device 1 10 8";

std::string systemFile(const char* name) {
    char folder[MAX_PATH] = "";
    UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder, n) + "\\" + name;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The processor time, in milliseconds, of this prefix's wineserver, read from the
// host's /proc: under Wine a program that polls its message queue makes the server
// answer each poll, so a busy wait shows there rather than in the program.
std::uint64_t serverProcessorTime() {
    char prefix[MAX_PATH] = "";
    GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    std::uint64_t ticks = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        std::string folder = std::string("Z:\\proc\\") + found.cFileName;
        if (!std::isdigit(static_cast<unsigned char>(found.cFileName[0])) ||
            readAll(folder + "\\comm").rfind("wineserver", 0) != 0)
            continue;
        std::string environment = readAll(folder + "\\environ");
        if (environment.find(std::string("WINEPREFIX=") + prefix + '\0') == std::string::npos)
            continue;
        // Fields 14 and 15, after the name in parentheses: user and system ticks.
        std::istringstream stat(
            readAll(folder + "\\stat").substr(readAll(folder + "\\stat").rfind(')') + 2));
        std::string field;
        for (int i = 3; i <= 15 && stat >> field; ++i)
            if (i >= 14)
                ticks += std::stoull(field);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return ticks * 10;  // 100 ticks a second
}

// The double in the system folder, Wine told to load it for ctlite.exe, and a book of
// one person whose work caption holds the home caption.
class CtliteDialer : public Ctlite {
protected:
    void SetUp() override {
        saved_ = systemFile("tapi32.dll.wine");
        if (!exists(saved_)) {
            ASSERT_TRUE(CopyFileA(systemFile("tapi32.dll").c_str(), saved_.c_str(), FALSE));
        }
        ASSERT_TRUE(CopyFileA(windowsPath(TAPI_DOUBLE_DLL).c_str(),
                              systemFile("tapi32.dll").c_str(), FALSE));
        overrideLibrary("native,builtin");
        log_ = s.dataPath() + ".calls";
        SetEnvironmentVariableA("VX_DOUBLE_LOG", log_.c_str());
        ctlite::AddressBook book;
        book.group(0).entries().insert(1, makeEntry({{ctlite::Field::FirstName, "Ann"},
                                                     {ctlite::Field::LastName, "Smith"},
                                                     {ctlite::Field::HomePhone, "5551111"},
                                                     {ctlite::Field::WorkPhone, "5552222"}}));
        book.labels().set(ctlite::Label::WorkPhone, "Home: 2");
        s.writeBook(book);
        ctlite::DataFile(platform::systemFileSystem(), s.dataPath()).writeTrailer(book);
    }
    void TearDown() override {
        CopyFileA(saved_.c_str(), systemFile("tapi32.dll").c_str(), FALSE);
        DeleteFileA(saved_.c_str());
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\ctlite.exe");
        SetEnvironmentVariableA("TAPI_DOUBLE_SCRIPT", nullptr);
        SetEnvironmentVariableA("VX_DOUBLE_LOG", nullptr);
        DeleteFileA(log_.c_str());
    }

    static void overrideLibrary(const char* value) {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr);
        RegSetValueExA(key, "tapi32", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>(strlen(value) + 1));
        RegCloseKey(key);
    }

    // Starts the program on the book with the double scripted so, and opens "Make a
    // call" for Ann.
    HWND openDialWindow(const std::string& script) {
        SetEnvironmentVariableA("TAPI_DOUBLE_SCRIPT", script.c_str());
        DeleteFileA(log_.c_str());
        window = s.start();
        if (!window)
            return nullptr;
        SendDlgItemMessageA(window, IDC_NAME_LIST, LB_SETCURSEL, 0, 0);
        User::press(window, IDC_CALL);
        return s.user().waitFor("Make a call");
    }

    // Presses "&Dial" and answers the error boxes that come, in order, until the
    // window shows the dialled state, or, for a dial that fails, until `failures`
    // boxes were answered; the boxes' texts.
    std::vector<std::string> dial(HWND dialer, bool dialled, std::size_t failures = 1) {
        User::press(dialer, IDC_DIAL);
        std::vector<std::string> boxes;
        waitUntil([&] {
            if (HWND box = s.user().waitFor("Error", 0, 0xFFFF)) {
                boxes.push_back(User::messageText(box));
                User::answer(box, IDOK);
            }
            return dialled ? IsWindowEnabled(GetDlgItem(dialer, IDC_DIAL_HANG_UP)) != FALSE
                           : boxes.size() >= failures;
        });
        return boxes;
    }

    void hangUp(HWND dialer) {
        User::press(dialer, IDC_DIAL_HANG_UP);
        User::waitEnabled(dialer, IDC_DIAL);
    }

    std::vector<std::string> calls() const { return linesOf(readAll(log_)); }

    HWND window = nullptr;
    std::string saved_, log_;
};

}  // namespace

TEST_F(CtliteDialer, TheCasesOfADial) {
    const std::string placed =
        "lineInitialize \"ZUD TAPI\"\n"
        "lineNegotiateAPIVersion 0 0x10003 0x10004\n"
        "lineGetDevCaps 0 0x10004 size=1264\n"
        "lineOpen 0 0x10004 ext=0x0 instance=0x0 privileges=0x1 media=0x10\n"
        "lineGetAddressStatus 0x20000 0\n";
    const std::string stopped =
        "lineGetCallStatus 0x30001\nlineDrop 0x30001\nlineDeallocateCall 0x30001\n"
        "lineClose 0x20000\nlineShutdown 0x10001\n";
    auto params = [](const char* dialString) {
        return std::string("lineMakeCall 0x20000 \"") + dialString +
               "\" 0 params=112,bearer=0x1,media=0x10,flags=0x2,mode=0x1,id=0\n";
    };
    auto click = [](HWND dialer, int id) { PostMessageA(GetDlgItem(dialer, id), BM_CLICK, 0, 0); };
    const struct {
        const char* name;
        std::string script;
        const char* library;  // the DllOverrides value
        std::function<void(HWND)> choose;
        std::vector<std::string> boxes;
        bool dialled;
        std::string calls;
        int outside;  // "Outside" afterwards, -1: not written
    } cases[] = {
        {"pulse, call waiting 1170, outside line 9, the second number only",
         std::string(kModem) + ";states 10@50,100@200",
         "native,builtin",
         [&](HWND d) {
             SendDlgItemMessageA(d, IDC_DIAL_NUMBER, CB_SETCURSEL, 1, 0);
             click(d, IDC_DIAL_PULSE);
             click(d, IDC_DIAL_WAITING);
             SetDlgItemTextA(d, IDC_DIAL_WAITING_CODE, "1170,");
             click(d, IDC_DIAL_OUTSIDE);
             SetDlgItemTextA(d, IDC_DIAL_OUTSIDE_NUMBER, "9");
         },
         {},
         true,
         placed + params("P1170,95552222") + "lineGetID 0x0 0 0x30001 0x4 \"comm/datamodem\"\n" +
             "lineGetCallInfo 0x30001 size=296\n" + stopped,
         9},
        {"the outside line unticked is still written",
         std::string(kModem) + ";states 40@100",
         "native,builtin",
         [](HWND d) { SetDlgItemTextA(d, IDC_DIAL_OUTSIDE_NUMBER, "7"); },
         {"Line busy, shutting down..."},
         true,
         placed + params("T5551111") + stopped,
         7},
        {"a device without data-modem media passed over",
         "device 1 4 8;device 1 10 8;states 40@100",
         "native,builtin",
         [](HWND) {},
         {"Line busy, shutting down..."},
         true,
         "lineInitialize \"ZUD TAPI\"\n"
         "lineNegotiateAPIVersion 0 0x10003 0x10004\nlineGetDevCaps 0 0x10004 size=1264\n"
         "lineNegotiateAPIVersion 1 0x10003 0x10004\nlineGetDevCaps 1 0x10004 size=1264\n"
         "lineOpen 1 0x10004 ext=0x0 instance=0x0 privileges=0x1 media=0x10\n"
         "lineGetAddressStatus 0x20001 0\n"
         "lineMakeCall 0x20001 \"T5551111\" 0 "
         "params=112,bearer=0x1,media=0x10,flags=0x2,mode=0x1,id=0\n"
         "lineGetCallStatus 0x30001\nlineDrop 0x30001\nlineDeallocateCall 0x30001\n"
         "lineClose 0x20001\nlineShutdown 0x10001\n",
         1},
        {"device capabilities unreadable",
         std::string(kModem) + ";fail lineGetDevCaps=80000048",
         "native,builtin",
         [](HWND) {},
         {"DeviceCaps Error"},
         false,
         "lineInitialize \"ZUD TAPI\"\nlineNegotiateAPIVersion 0 0x10003 0x10004\n"
         "lineGetDevCaps 0 0x10004 size=1264\nlineShutdown 0x10001\n",
         -1},
        {"the address cannot place calls",
         std::string(kModem) + ";address 0",
         "native,builtin",
         [](HWND) {},
         {"Line or modem in use. Cannot dial."},
         false,
         placed + "lineClose 0x20000\nlineShutdown 0x10001\n",
         -1},
        {"no TAPI32.DLL", kModem, "", [](HWND) {}, {"Tapi error..."}, false, "", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        overrideLibrary(c.library);
        HWND dialer = openDialWindow(c.script);
        ASSERT_NE(dialer, nullptr);
        c.choose(dialer);
        const std::uint64_t serverBefore = serverProcessorTime();
        const DWORD start = GetTickCount();
        EXPECT_EQ(dial(dialer, c.dialled), c.boxes);
        // The dial's waits sleep: through the five seconds after the call was placed the
        // server is busy about 8 % of the time (the test's own looks at the windows
        // included), where a dial that polled its queue kept it busy 20 to 30 %.
        const DWORD took = GetTickCount() - start;
        const std::uint64_t serverBusy = serverProcessorTime() - serverBefore;
        if (c.dialled) {
            EXPECT_LT(serverBusy, took / 8) << "ms of " << took << " ms";
        }
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialer, IDC_DIAL_HANG_UP)) != FALSE, c.dialled);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialer, IDC_DIAL)) != FALSE, !c.dialled);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialer, IDCANCEL)) != FALSE, !c.dialled);
        if (c.dialled)
            hangUp(dialer);
        User::answer(dialer, IDCANCEL);
        exitNormally(window);
        EXPECT_EQ(GetPrivateProfileIntA("Contavo Lite", "Outside", -1,
                                        windowsDirectoryFile("ctlite.INI").c_str()),
                  c.outside);
        EXPECT_EQ(calls(), linesOf(c.calls));
        DeleteFileA(windowsDirectoryFile("ctlite.INI").c_str());
    }
}

TEST_F(CtliteDialer, EachDialAfterHangUpInitialisesAgainAndDisconnectsAreTold) {
    HWND dialer = openDialWindow(std::string(kModem) +
                                 ";states 4000/1@100;states 4000/1000@100;states 4000/2000@100");
    ASSERT_NE(dialer, nullptr);
    for (const char* text : {"Remote Party Disconnected", "Disconnected: No Dial Tone",
                             "Disconnected: LINECALLSTATE; Bad Reason"}) {
        EXPECT_EQ(dial(dialer, true), std::vector<std::string>{text});
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialer, IDC_DIAL_HANG_UP)));
        hangUp(dialer);
    }
    User::answer(dialer, IDCANCEL);
    exitNormally(window);
    int initialised = 0, opened = 0, shut = 0;
    for (const std::string& call : calls()) {
        initialised += call.rfind("lineInitialize", 0) == 0;
        opened += call.rfind("lineOpen", 0) == 0;
        shut += call.rfind("lineShutdown", 0) == 0;
    }
    EXPECT_EQ(initialised, 3);
    EXPECT_EQ(opened, 3);
    EXPECT_EQ(shut, 3);
}

TEST_F(CtliteDialer, AnEntryWithOnlyAFaxNumberIsNotCalled) {
    ctlite::AddressBook book;
    book.group(0).entries().insert(
        1, makeEntry({{ctlite::Field::FirstName, "Fax"}, {ctlite::Field::FaxNumber, "5550100"}}));
    s.writeBook(book);
    window = s.start();
    ASSERT_NE(window, nullptr);
    SendDlgItemMessageA(window, IDC_NAME_LIST, LB_SETCURSEL, 0, 0);
    User::press(window, IDC_CALL);
    HWND box = s.user().waitFor("Oops...");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "Phone number is not found");
    User::answer(box, IDOK);
    exitNormally(window);
    EXPECT_EQ(readAll(log_), "");
}

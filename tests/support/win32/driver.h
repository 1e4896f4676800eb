// Running this build's Windows programs from a test, and using their windows the
// way a user would: find a window by its caption, read its texts, press its buttons.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// A path of this build (a Unix path) as Windows programs under Wine see it (drive Z:).
std::string windowsPath(std::string unixPath);
std::string readAll(const std::string& path);
void writeAll(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);
bool keyExists(HKEY root, const std::string& path);
bool valueExists(HKEY root, const std::string& path, const std::string& name);
void setValue(HKEY root, const std::string& path, const std::string& name, DWORD value);
std::optional<DWORD> dwordValue(HKEY root, const std::string& path, const std::string& name);

// Polls `condition` until it holds or `timeout` has passed, handling this thread's
// messages and yielding briefly between polls; returns whether it held. A zero
// timeout looks once.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));

// Moves the pointer to the screen's top-left corner, away from the windows a test
// drives, and waits until it is there. The system sends its own mouse messages
// for the pointer where it stands (when a window appears or moves under it), and
// those must not mix with the clicks and moves a test sends.
void parkPointer();

// A program started and not yet waited for.
struct Started {
    PROCESS_INFORMATION process{};

    // The exit code, once the program has ended (0xDEAD when it did not).
    DWORD wait(DWORD milliseconds = 60000);
};

// Starts a program; `directory` (when given) becomes its current directory.
Started launch(std::string commandLine, const std::string& directory = "");

// Drives another process's windows the way a user would: finds a window by its
// caption, reads its texts and presses its buttons.
class User {
public:
    explicit User(DWORD processId) : processId_(processId) {}

    // The visible top-level window of the process with this caption (and, when
    // given, a control of that id), waiting for it.
    HWND waitFor(const std::string& caption, int seconds = 20, int withControl = 0) {
        Search search{processId_, caption, withControl, nullptr};
        waitUntil(
            [&] {
                EnumWindows(&User::match, reinterpret_cast<LPARAM>(&search));
                return search.found != nullptr;
            },
            std::chrono::seconds(seconds));
        return search.found;
    }

    // Waits for a message box of this caption, answers it with `button` and gives its
    // text ("(no box)" when none came).
    std::string answerBox(const std::string& caption, int button = IDOK, int seconds = 20) {
        HWND box = waitFor(caption, seconds, 0xFFFF);
        if (!box)
            return "(no box)";
        std::string shown = messageText(box);
        answer(box, button);
        return shown;
    }

    static std::string text(HWND window, int id) {
        char buffer[4096] = "";
        GetDlgItemTextA(window, id, buffer, sizeof buffer);
        return buffer;
    }
    // A message box's own text.
    static std::string messageText(HWND box) { return text(box, 0xFFFF); }

    // The rows of list box `id` of a window of another process.
    static std::vector<std::string> rows(HWND window, int id) {
        HWND list = GetDlgItem(window, id);
        std::vector<std::string> out;
        LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            // Across processes the text comes marshalled as UTF-16.
            wchar_t wide[512] = L"";
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
            char text[1024] = "";
            WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
            out.push_back(text);
        }
        return out;
    }

    static void press(HWND window, int id) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    }

    // Presses a button that closes its window, and waits until the window is gone.
    static void answer(HWND window, int id) {
        press(window, id);
        waitUntil([&] { return !IsWindow(window); }, std::chrono::seconds(10));
    }

    // Waits until a control of the window is enabled (or the time is up).
    static bool waitEnabled(HWND window, int id, int seconds = 20) {
        return waitUntil([&] { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; },
                         std::chrono::seconds(seconds));
    }

private:
    struct Search {
        DWORD processId;
        std::string caption;
        int control;
        HWND found;
    };
    static BOOL CALLBACK match(HWND window, LPARAM lParam) {
        auto* search = reinterpret_cast<Search*>(lParam);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char caption[256] = "";
        GetWindowTextA(window, caption, sizeof caption);
        if (owner == search->processId && IsWindowVisible(window) && search->caption == caption &&
            (!search->control || GetDlgItem(window, search->control))) {
            search->found = window;
            return FALSE;
        }
        return TRUE;
    }

    DWORD processId_;
};

}  // namespace testing_support

// Times Contavo Lite under Windows (Wine here) on generated books: from process
// start to a filled name list, one switch of the sort order, and keystrokes in the
// quick-search box (each one handled and the window repainted). Beside them, in the
// same run, two yardsticks: the program started on a one-entry book (what starting
// any program costs here) and a bare sorted list box filled with the same lines
// (how the name list was filled before it showed the model's lines itself).
//
//   ctlite_startup.exe [entries...]      (default: 10000 100000)
//   CTLITE_BENCH_EXE=path times another build of ctlite.exe.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "addressbook/model/data_file.h"
#include "addressbook/model/name_list.h"
#include "addressbook/ui/resource.h"
#include "platform/file_system.h"
#include "tests/support/book_builder.h"
#include "tests/support/win32/driver.h"

using namespace testing_support;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

LRESULT listCount(HWND window) {
    return SendDlgItemMessageA(window, IDC_NAME_LIST, LB_GETCOUNT, 0, 0);
}

std::string program() {
    const char* other = std::getenv("CTLITE_BENCH_EXE");
    return other && *other ? std::string(other) : windowsPath(CTLITE_EXE);
}

// One key typed into the quick-search box, in milliseconds: the box and the main
// window have handled it (the line is selected, the card filled) and repainted.
double keystroke(HWND window, WPARAM key) {
    HWND box = GetDlgItem(window, IDC_QUICK_SEARCH);
    Clock::time_point start = Clock::now();
    SendMessageA(box, WM_CHAR, key, 0);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return secondsSince(start) * 1000;
}

struct Keystrokes {
    double first = 0, median = 0, worst = 0;
};

// A surname typed letter by letter, on into a text that matches no line, then all
// of it taken back. The first key shows the card for the first time, which costs
// what a first click on a line costs: it is told apart.
Keystrokes typeIntoQuickSearch(HWND window) {
    std::vector<double> times;
    for (char c : std::string("Silva9zz"))
        times.push_back(keystroke(window, static_cast<WPARAM>(c)));
    for (int i = 0; i < 8; ++i)
        times.push_back(keystroke(window, VK_BACK));
    Keystrokes keys;
    keys.first = times.front();
    times.erase(times.begin());
    std::sort(times.begin(), times.end());
    keys.median = times[times.size() / 2];
    keys.worst = times.back();
    return keys;
}

struct Timing {
    double startUp = 0, sortSwitch = 0;
    Keystrokes keys;
};

Timing run(int entries) {
    std::string folder = "C:\\ctlite-bench-" + std::to_string(entries);
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string path = folder + "\\data.dat";
    ctlite::AddressBook book = generatedBook(entries, 1);
    ctlite::DataFile(platform::systemFileSystem(), path).save(book);

    Timing timing;
    Clock::time_point start = Clock::now();
    Started started = launch("\"" + program() + "\"", folder);
    User user(started.process.dwProcessId);
    HWND window = user.waitFor("Contavo Lite - " + path, 120);
    while (window && listCount(window) < entries)
        Sleep(5);
    timing.startUp = secondsSince(start);

    start = Clock::now();
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(ID_SORT_LAST, 0),
                 0);  // returns once the list is refilled
    timing.sortSwitch = secondsSince(start);
    timing.keys = typeIntoQuickSearch(window);

    User::press(window, IDOK);
    started.wait(120000);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
    return timing;
}

// A sorted, owner-drawn list box of strings filled with the book's lines in order,
// each with its entry, as the name list was filled before.
double bareSortedListBox(int entries) {
    ctlite::AddressBook book = generatedBook(entries, 1);
    ctlite::NameList names(book.group(0).entries(), ctlite::SortMode::LastName);
    HWND list =
        CreateWindowA("LISTBOX", "", LBS_SORT | LBS_HASSTRINGS | LBS_OWNERDRAWFIXED | LBS_NOTIFY, 0,
                      0, 100, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    Clock::time_point start = Clock::now();
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_INITSTORAGE, names.size(), names.size() * 24);
    for (const ctlite::NameLine& line : names.lines()) {
        LRESULT at =
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.text.c_str()));
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at), line.index);
    }
    double seconds = secondsSince(start);
    DestroyWindow(list);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {10000, 100000};
    run(1);  // the first start of a program reads its libraries from the disk
    Timing floor = run(1);
    std::printf("      1 entry:   start-up to a filled list %.2f s (starting a program)\n",
                floor.startUp);
    for (int entries : sizes) {
        Timing t = run(entries);
        std::printf(
            "%7d entries: start-up to a filled list %.2f s, sort switch %.3f s, "
            "quick-search keystroke %.1f ms (worst %.1f ms; the first, which shows the card, "
            "%.0f ms)\n",
            entries, t.startUp, t.sortSwitch, t.keys.median, t.keys.worst, t.keys.first);
        std::printf("%7d lines in a bare sorted list box: %.2f s\n", entries,
                    bareSortedListBox(entries));
    }
    return 0;
}

// setup_tour: walks a setup program's wizard page by page for
// scripts/setup-screenshots.sh, which takes the pictures.
//
//   setup_tour SETUP.EXE PAGES.TXT EXCHANGE-FOLDER
//
// PAGES.TXT lists the pages in the order they come, one a line:
//   NAME ACTION DOCS HEADING...
// ACTION is "next" (press Next), "progress" (the progress page: wait until its bar
// has gone a third of the way, and hold the setup program still for the picture) or
// "finish" (press Next and wait for the program to end); DOCS is for the script;
// HEADING, the rest of the line, is the page's heading (control 31) to wait for.
// For each page the tour writes NAME.ready into the exchange folder once the page
// shows, and goes on when the script has written NAME.shot beside it.
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/win32/driver.h"

using namespace testing_support;

namespace {

constexpr int kHeading = 31, kProgressBar = 40, kOpenFirst = 46, kOpenSecond = 47;

struct Row {
    std::string name, action, heading;
};

std::vector<Row> readTable(const std::string& path) {
    std::vector<Row> rows;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        Row row;
        std::string docs;
        fields >> row.name >> row.action >> docs >> std::ws;
        std::getline(fields, row.heading);
        rows.push_back(row);
    }
    return rows;
}

// The visible page of the process's setup window, whatever its heading.
HWND shownPage(DWORD process) {
    for (HWND window = FindWindowExA(nullptr, nullptr, "VortixInstaller", nullptr); window;
         window = FindWindowExA(nullptr, window, "VortixInstaller", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != process)
            continue;
        for (HWND page = FindWindowExA(window, nullptr, "VIDialogTemplate", nullptr); page;
             page = FindWindowExA(window, page, "VIDialogTemplate", nullptr))
            if (IsWindowVisible(page))
                return page;
    }
    return nullptr;
}

// Holds every thread of the process still (or lets them go on).
void holdStill(DWORD process, bool hold) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != process)
            continue;
        if (HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)) {
            if (hold)
                SuspendThread(thread);
            else
                ResumeThread(thread);
            CloseHandle(thread);
        }
    }
    CloseHandle(snapshot);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: setup_tour SETUP.EXE PAGES.TXT EXCHANGE-FOLDER\n");
        return 2;
    }
    std::vector<Row> rows = readTable(argv[2]);
    std::string exchange = argv[3];
    Started setup = launch("\"" + std::string(argv[1]) + "\"");
    DWORD process = setup.process.dwProcessId;
    for (const Row& row : rows) {
        HWND page = nullptr;
        bool shown = waitUntil(
            [&] {
                page = shownPage(process);
                if (!page || User::text(page, kHeading) != row.heading)
                    return false;
                if (row.action != "progress")
                    return true;
                LRESULT at = SendMessageA(GetDlgItem(page, kProgressBar), PBM_GETPOS, 0, 0);
                return at >= 33 && at < 100;
            },
            std::chrono::seconds(120));
        if (!shown) {
            std::string showing = page ? User::text(page, kHeading) : std::string("none");
            std::fprintf(stderr,
                         "setup_tour: page \"%s\" (%s) did not show; the page showing: %s\n",
                         row.name.c_str(), row.heading.c_str(), showing.c_str());
            TerminateProcess(setup.process.hProcess, 1);
            return 1;
        }
        // The progress page is held still at once (it draws as it goes); another
        // page is given a moment to finish drawing.
        if (row.action == "progress")
            holdStill(process, true);
        else
            Sleep(300);
        writeAll(exchange + "\\" + row.name + ".ready", "");
        std::string shot = exchange + "\\" + row.name + ".shot";
        waitUntil([&] { return exists(shot); }, std::chrono::seconds(60));
        if (row.action == "progress")
            holdStill(process, false);
        // The finish page's boxes that open a program stay unticked: the tour starts nothing.
        if (row.action == "finish")
            for (int box : {kOpenFirst, kOpenSecond})
                SendDlgItemMessageA(page, box, BM_SETCHECK, BST_UNCHECKED, 0);
        if (row.action == "next" || row.action == "finish")
            User::press(page, IDOK);
    }
    DWORD code = setup.wait(120000);
    std::printf("setup_tour: the setup program ended with %lu\n", static_cast<unsigned long>(code));
    return code == 1 ? 0 : 1;
}

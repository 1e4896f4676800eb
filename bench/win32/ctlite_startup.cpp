// Times Contavo Lite under Windows (Wine here) on generated books: from process
// start to a filled, sorted name list, and one switch of the sort order.
//
//   ctlite_startup.exe [entries...]      (default: 10000 100000)
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "addressbook/model/data_file.h"
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

void measure(int entries) {
    std::string folder = "C:\\ctlite-bench-" + std::to_string(entries);
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string path = folder + "\\data.dat";
    ctlite::AddressBook book = generatedBook(entries, 1);
    ctlite::DataFile(platform::systemFileSystem(), path).save(book);

    Clock::time_point start = Clock::now();
    Started run = launch("\"" + windowsPath(CTLITE_EXE) + "\"", folder);
    User user(run.process.dwProcessId);
    HWND window = user.waitFor("Contavo Lite - " + path, 120);
    while (window && listCount(window) < entries)
        Sleep(5);
    double startUp = secondsSince(start);

    start = Clock::now();
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(ID_SORT_LAST, 0),
                 0);  // returns once the list is refilled
    double sortSwitch = secondsSince(start);
    std::printf("%7d entries: start-up to a filled list %.2f s, sort switch %.2f s\n", entries,
                startUp, sortSwitch);

    User::press(window, IDOK);
    run.wait(120000);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {10000, 100000};
    for (int entries : sizes)
        measure(entries);
    return 0;
}

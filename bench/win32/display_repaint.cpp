// Times the display card under Windows (Wine here) with one-megapixel JPEG photos:
// a change of selection to an entry whose photo must be decoded, a change back to
// the entry whose photo was decoded last (kept, not decoded again), and each
// repaint after that, which must not decode again. Twice: in a main window of
// 1500 x 1050, where the card has room for the photo at 7/8 of its size, and in
// one of the program's first size, 464 x 423, where it has room for a quarter.
//
//   display_repaint.exe [repaints]      (default 50)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "addressbook/ui/display_window.h"
#include "addressbook/ui/resource.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/win32/driver.h"

using Clock = std::chrono::steady_clock;

namespace {

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A stand-in for the main window: the name list and the group selector the card
// keeps clear of.
HWND makeMainWindow(int width, int height) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "RepaintBenchMain";
    cls.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
    RegisterClassA(&cls);
    HWND main =
        CreateWindowA("RepaintBenchMain", "display repaint", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                      width, height, nullptr, nullptr, cls.hInstance, nullptr);
    CreateWindowA("LISTBOX", "", WS_CHILD | WS_VISIBLE, 2, 120, 140, height - 250, main,
                  reinterpret_cast<HMENU>(IDC_NAME_LIST), cls.hInstance, nullptr);
    CreateWindowA("COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 40, 60, width - 100,
                  200, main, reinterpret_cast<HMENU>(IDC_GROUP), cls.hInstance, nullptr);
    return main;
}

void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

struct Timing {
    std::vector<double> decoding, returning, paints;
};

// `rounds` changes of selection between the two files, each followed by a change
// back and `repaints` repaints, with the card maximized in a main window of this size.
bool measure(int mainWidth, int mainHeight, const std::string (&pictures)[2], int repaints) {
    HWND main = makeMainWindow(mainWidth, mainHeight);
    ctlite::Entry current, shown;
    ctlite::FieldLabels labels;
    ctlite::DisplayWindow card;
    if (!card.create(main, current, labels)) {
        std::fprintf(stderr, "ctlitedisplay.dll is not beside the program\n");
        return false;
    }
    card.moveTo(147, 90, 300, 101);
    card.setMaximized(true);
    ShowWindow(card.handle(), SW_SHOW);
    shown.set(ctlite::Field::FirstName, "Ann");
    shown.set(ctlite::Field::LastName, "Smith");
    shown.set(ctlite::Field::Homepage, "http://example.com/ann");
    pump();

    // As a change of selection does: the entry's values, the picture to be read again,
    // one paint.
    auto selectTime = [&](const std::string& picture) {
        Clock::time_point start = Clock::now();
        shown.set(ctlite::Field::Picture, picture);
        card.setEntry(shown, "Friends");
        card.clearPicture();
        InvalidateRect(card.handle(), nullptr, FALSE);
        UpdateWindow(card.handle());
        return millisecondsSince(start);
    };
    Timing t;
    // A first paint places the picture; the rounds after it are timed.
    selectTime(pictures[1]);
    for (int round = 0; round < 6; ++round) {
        t.decoding.push_back(selectTime(pictures[round % 2]));
        t.returning.push_back(selectTime(pictures[round % 2]));
        for (int i = 0; i < repaints; ++i) {
            Clock::time_point start = Clock::now();
            InvalidateRect(card.handle(), nullptr, FALSE);
            UpdateWindow(card.handle());
            t.paints.push_back(millisecondsSince(start));
        }
        pump();
    }
    RECT client;
    GetClientRect(card.handle(), &client);
    std::printf("main window %d x %d, card %ld x %ld\n", mainWidth, mainHeight, client.right,
                client.bottom);
    std::printf("  selection of another photo (decode + paint): median %.1f ms of %zu\n",
                median(t.decoding), t.decoding.size());
    std::printf("  selection back to the last photo (paint):    median %.1f ms of %zu\n",
                median(t.returning), t.returning.size());
    std::printf("  repaint after the decode:          median %.1f ms, worst %.1f ms of %zu\n",
                median(t.paints), *std::max_element(t.paints.begin(), t.paints.end()),
                t.paints.size());
    DestroyWindow(main);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int repaints = argc > 1 ? std::atoi(argv[1]) : 50;
    const int width = 1250, height = 800;  // one million pixels
    std::string jpeg = testing_support::makeJpeg(
        width, height, testing_support::JpegKind::Rgb, [](int x, int y, int c) {
            int v[3] = {x * 255 / width, y * 255 / height, ((x ^ y) & 0xFF)};
            return v[c];
        });
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    // Two files of the same photo: going from one to the other decodes each time.
    const std::string pictures[2] = {std::string(temp) + "display-repaint-1.jpg",
                                     std::string(temp) + "display-repaint-2.jpg"};
    for (const std::string& picture : pictures)
        testing_support::writeAll(picture, jpeg);
    std::printf("photo %d x %d\n", width, height);
    bool ok = measure(1500, 1050, pictures, repaints) && measure(464, 423, pictures, repaints);
    for (const std::string& picture : pictures)
        DeleteFileA(picture.c_str());
    return ok ? 0 : 1;
}

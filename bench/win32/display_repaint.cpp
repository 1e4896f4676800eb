// Times the display card under Windows (Wine here) with one-megapixel JPEG photos:
// a change of selection to an entry whose photo must be decoded, a change back to
// the entry whose photo was decoded last (kept, not decoded again), and each
// repaint after that, which must not decode again.
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
HWND makeMainWindow() {
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "RepaintBenchMain";
    cls.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
    RegisterClassA(&cls);
    HWND main =
        CreateWindowA("RepaintBenchMain", "display repaint", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                      1500, 1050, nullptr, nullptr, cls.hInstance, nullptr);
    CreateWindowA("LISTBOX", "", WS_CHILD | WS_VISIBLE, 2, 120, 140, 800, main,
                  reinterpret_cast<HMENU>(IDC_NAME_LIST), cls.hInstance, nullptr);
    CreateWindowA("COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 40, 60, 1400, 200, main,
                  reinterpret_cast<HMENU>(IDC_GROUP), cls.hInstance, nullptr);
    return main;
}

void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
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

    HWND main = makeMainWindow();
    ctlite::Entry current, shown;
    ctlite::FieldLabels labels;
    ctlite::DisplayWindow card;
    if (!card.create(main, current, labels)) {
        std::fprintf(stderr, "ctlitedisplay.dll is not beside the program\n");
        return 1;
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
    std::vector<double> decoding, returning, paints;
    for (int round = 0; round < 6; ++round) {
        decoding.push_back(selectTime(pictures[round % 2]));
        returning.push_back(selectTime(pictures[round % 2]));
        for (int i = 0; i < repaints; ++i) {
            Clock::time_point start = Clock::now();
            InvalidateRect(card.handle(), nullptr, FALSE);
            UpdateWindow(card.handle());
            paints.push_back(millisecondsSince(start));
        }
        pump();
    }
    RECT client;
    GetClientRect(card.handle(), &client);
    std::printf("card %ld x %ld, photo %d x %d\n", client.right, client.bottom, width, height);
    std::printf("selection of another photo (decode + paint): median %.1f ms of %zu\n",
                median(decoding), decoding.size());
    std::printf("selection back to the last photo (paint):    median %.1f ms of %zu\n",
                median(returning), returning.size());
    std::printf("repaint after the decode:          median %.1f ms, worst %.1f ms of %zu\n",
                median(paints), *std::max_element(paints.begin(), paints.end()), paints.size());
    for (const std::string& picture : pictures)
        DeleteFileA(picture.c_str());
    return 0;
}

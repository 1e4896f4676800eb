// Times the display card under Windows (Wine here) with a one-megapixel JPEG
// photo: a change of selection (the picture decoded once, then painted) and each
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
    std::string picture = std::string(temp) + "display-repaint.jpg";
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
    shown.set(ctlite::Field::Picture, picture);
    pump();

    std::vector<double> selections, paints;
    for (int round = 0; round < 5; ++round) {
        Clock::time_point start = Clock::now();
        card.setEntry(shown, "Friends");  // as a change of selection does
        card.clearPicture();
        InvalidateRect(card.handle(), nullptr, FALSE);
        UpdateWindow(card.handle());
        selections.push_back(millisecondsSince(start));
        for (int i = 0; i < repaints; ++i) {
            start = Clock::now();
            InvalidateRect(card.handle(), nullptr, FALSE);
            UpdateWindow(card.handle());
            paints.push_back(millisecondsSince(start));
        }
        pump();
    }
    RECT client;
    GetClientRect(card.handle(), &client);
    std::printf("card %ld x %ld, picture %d x %d (%s)\n", client.right, client.bottom, width,
                height, picture.c_str());
    std::printf("selection change (decode + paint): median %.1f ms of %zu\n", median(selections),
                selections.size());
    std::printf("repaint after the decode:          median %.1f ms, worst %.1f ms of %zu\n",
                median(paints), *std::max_element(paints.begin(), paints.end()), paints.size());
    DeleteFileA(picture.c_str());
    return 0;
}

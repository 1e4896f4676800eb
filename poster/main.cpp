// ctlitepost: Contavo Lite's poster program. Started with one argument string of
// an entry's values, it shows them as a card that can be printed.
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "framework/message_loop.h"
#include "poster/card_lines.h"
#include "poster/poster_arguments.h"

namespace {

constexpr int kPrint = 100, kExit = 101;
std::vector<std::string> lines;

void drawCard(HDC dc, int left, int top, int lineHeight) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        TextOutA(dc, left, top + static_cast<int>(i) * lineHeight, lines[i].c_str(),
                 static_cast<int>(lines[i].size()));
}

void print(HWND owner) {
    PRINTDLGA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION;
    if (!PrintDlgA(&dialog) || !dialog.hDC)
        return;
    DOCINFOA document{};
    document.cbSize = sizeof document;
    document.lpszDocName = "Contavo Lite Poster";
    if (StartDocA(dialog.hDC, &document) > 0 && StartPage(dialog.hDC) > 0) {
        int dpi = GetDeviceCaps(dialog.hDC, LOGPIXELSY);
        drawCard(dialog.hDC, dpi, dpi, dpi / 6);
        EndPage(dialog.hDC);
        EndDoc(dialog.hDC);
    }
    DeleteDC(dialog.hDC);
    if (dialog.hDevMode)
        GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames)
        GlobalFree(dialog.hDevNames);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            SetBkMode(dc, TRANSPARENT);
            drawCard(dc, 16, 16, 18);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == kPrint)
                print(window);
            if (LOWORD(wParam) == kExit)
                DestroyWindow(window);
            return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    lines = ctlite::posterCardLines(ctlite::splitPosterArguments(commandLine ? commandLine : ""));
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "ContavoLitePoster";
    RegisterClassA(&windowClass);
    HMENU menu = CreateMenu(), file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, kPrint, "&Print...");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, kExit, "E&xit");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    HWND window =
        CreateWindowA("ContavoLitePoster", "Contavo Lite Poster", WS_OVERLAPPEDWINDOW,
                      CW_USEDEFAULT, CW_USEDEFAULT, 380, 440, nullptr, menu, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, show);
    fw::runMessageLoop();
    return 0;
}

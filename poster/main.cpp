// ctlitepost: Contavo Lite's poster program. Started with one argument string of
// an entry's values, it shows them as a card that can be printed.
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "addressbook/contracts/poster_arguments.h"
#include "framework/message_loop.h"
#include "framework/window.h"
#include "poster/card_lines.h"

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

// The card's window: File, Print... and Exit.
class PosterWindow : public fw::WindowImpl<PosterWindow> {
public:
    static const fw::CommandEntry<PosterWindow> kCommands[];
    static const fw::MessageEntry<PosterWindow> kMessages[];

    HWND make(HINSTANCE instance, HMENU menu) {
        WNDCLASSEXA shape{};
        shape.hInstance = instance;
        shape.hCursor = LoadCursor(nullptr, IDC_ARROW);
        shape.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        shape.lpszClassName = "ContavoLitePoster";
        return create(shape, 0, "Contavo Lite Poster", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 380, 440, nullptr, menu);
    }

private:
    INT_PTR onPaint(WPARAM, LPARAM) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(handle(), &paint);
        SetBkMode(dc, TRANSPARENT);
        drawCard(dc, 16, 16, 18);
        EndPaint(handle(), &paint);
        return 0;
    }
    INT_PTR onDestroy(WPARAM, LPARAM) {
        PostQuitMessage(0);
        return 0;
    }
    void onPrint() { print(handle()); }
    void onExit() { DestroyWindow(handle()); }
};

const fw::CommandEntry<PosterWindow> PosterWindow::kCommands[] = {
    {kPrint, 0, &PosterWindow::onPrint},
    {kExit, 0, &PosterWindow::onExit},
    {0, 0, nullptr},
};
const fw::MessageEntry<PosterWindow> PosterWindow::kMessages[] = {
    {WM_PAINT, &PosterWindow::onPaint},
    {WM_DESTROY, &PosterWindow::onDestroy},
    {0, nullptr},
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    lines = ctlite::posterCardLines(ctlite::splitPosterArguments(commandLine ? commandLine : ""));
    HMENU menu = CreateMenu(), file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, kPrint, "&Print...");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, kExit, "E&xit");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    PosterWindow poster;
    HWND window = poster.make(instance, menu);
    if (!window)
        return 1;
    ShowWindow(window, show);
    fw::runMessageLoop();
    return 0;
}

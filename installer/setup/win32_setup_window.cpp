#include "installer/setup/win32_setup_window.h"

#include "framework/dialog.h"
#include "installer/setup/resource.h"

namespace vortix {
namespace {

// The About box: the engine's name and version, OK.
class AboutBox : public fw::DialogImpl<AboutBox> {
public:
    static const fw::CommandEntry<AboutBox> kCommands[];
    void onOk() { end(IDOK); }
};

const fw::CommandEntry<AboutBox> AboutBox::kCommands[] = {
    {IDOK, BN_CLICKED, &AboutBox::onOk},
    {IDCANCEL, BN_CLICKED, &AboutBox::onOk},
    {0, 0, nullptr},
};

// The size of a built-in wizard page, in pixels, for windows without a background.
constexpr int kPageWidth = 480, kPageHeight = 200;

}  // namespace

const fw::MessageEntry<SetupWindow> SetupWindow::kMessages[] = {
    {WM_PAINT, &SetupWindow::onPaint},
    {WM_ERASEBKGND, &SetupWindow::onEraseBackground},
    {WM_SYSCOMMAND, &SetupWindow::onSysCommand},
    {WM_DISPLAYCHANGE, &SetupWindow::onDisplayChange},
    {WM_CLOSE, &SetupWindow::onClose},
    {WM_CONTEXTMENU, &SetupWindow::onContextMenu},
    {0, nullptr},
};

bool SetupWindow::dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    // A C++ exception from the plug-in ends in the window layer's guard: the
    // message then counts as not handled here.
    if (hook_ && hook_(handle(), message, wParam, lParam) != 0) {
        result = 0;
        return true;
    }
    return fw::WindowImpl<SetupWindow>::dispatch(message, wParam, lParam, result);
}

SetupWindow::~SetupWindow() {
    if (background_)
        DeleteObject(background_);
}

bool SetupWindow::create(HINSTANCE instance, const std::string& title, WindowStyle style) {
    instance_ = instance;
    style_ = style;
    title_ = title;
    WNDCLASSEXA shape{};
    shape.hInstance = instance;
    shape.lpszClassName = kClassName;
    shape.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    shape.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    shape.hbrBackground = nullptr;  // the window paints all of itself

    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT area{0, 0, screenWidth, screenHeight};
    DWORD windowStyle = WS_POPUP | WS_CLIPCHILDREN;
    switch (style) {
        case WindowStyle::Overlapped: windowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN; break;
        case WindowStyle::PopupCaption:
            windowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
            break;
        case WindowStyle::WorkArea: SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0); break;
        case WindowStyle::FullScreen: break;
        case WindowStyle::NoBackground:
        default:
            // Only the page shows: the window is the page's size, in the middle.
            area = {(screenWidth - kPageWidth) / 2, (screenHeight - kPageHeight) / 2,
                    (screenWidth + kPageWidth) / 2, (screenHeight + kPageHeight) / 2};
            windowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
            break;
    }
    if (!fw::Window::create(shape, 0, title.c_str(), windowStyle, area.left, area.top,
                            area.right - area.left, area.bottom - area.top, nullptr))
        return false;
    HMENU system = GetSystemMenu(handle(), FALSE);
    AppendMenuA(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(system, MF_STRING, IDM_ABOUT, "About...");
    // The caller says so through the program's message routine.
    if (style != WindowStyle::NoBackground && !prepareBackground())
        backgroundFailed_ = true;
    return true;
}

void SetupWindow::setTitle(const std::string& title) {
    title_ = title;
    if (!handle())
        return;
    fw::setWindowText(handle(), title);
    // The title is painted into the background once: it is painted again.
    if (background_) {
        DeleteObject(background_);
        background_ = nullptr;
        backgroundFailed_ = !prepareBackground();
    }
    InvalidateRect(handle(), nullptr, FALSE);
}

void SetupWindow::show() {
    bool maximise = style_ == WindowStyle::Overlapped || style_ == WindowStyle::PopupCaption;
    ShowWindow(handle(), maximise ? SW_SHOWMAXIMIZED : SW_SHOW);
    UpdateWindow(handle());
}

// A deep blue falling to black, with the title large in the top left corner.
bool SetupWindow::prepareBackground() {
    if (background_) {
        DeleteObject(background_);
        background_ = nullptr;
    }
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    if (!dc || !bitmap) {
        if (dc)
            DeleteDC(dc);
        if (bitmap)
            DeleteObject(bitmap);
        return false;
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    const int bands = 128;
    for (int band = 0; band < bands; ++band) {
        RECT r{0, band * height / bands, width, (band + 1) * height / bands};
        HBRUSH brush = CreateSolidBrush(RGB(0, 0, 160 - band * 160 / bands));
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    HFONT font = CreateFontA(-height / 16, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             VARIABLE_PITCH | FF_SWISS, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, 24 + 3, 16 + 3, title_.c_str(), static_cast<int>(title_.size()));
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, 24, 16, title_.c_str(), static_cast<int>(title_.size()));
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, old);
    DeleteDC(dc);
    background_ = bitmap;
    backgroundSize_ = {width, height};
    return true;
}

INT_PTR SetupWindow::onPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle(), &paint);
    RECT client;
    GetClientRect(handle(), &client);
    if (background_) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, background_);
        StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, backgroundSize_.cx,
                   backgroundSize_.cy, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    } else {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    }
    EndPaint(handle(), &paint);
    return 0;
}

INT_PTR SetupWindow::onEraseBackground(WPARAM, LPARAM) {
    return 1;  // painted whole in WM_PAINT
}

void SetupWindow::showAbout() {
    AboutBox about;
    about.runModal(IDD_ABOUT, handle());
}

// The background's menu: "About...", the one way to it where there is no system
// menu. A page passes its own right clicks and menu key up to here.
INT_PTR SetupWindow::onContextMenu(WPARAM, LPARAM lParam) {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1) {  // from the keyboard: the top left corner of the window
        at = {0, 0};
        ClientToScreen(handle(), &at);
    }
    SetForegroundWindow(handle());
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, IDM_ABOUT, "About...");
    UINT chosen = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, handle(), nullptr));
    DestroyMenu(menu);
    if (chosen == IDM_ABOUT)
        showAbout();
    return 0;
}

INT_PTR SetupWindow::onSysCommand(WPARAM command, LPARAM lParam) {
    if ((command & 0xFFF0) == IDM_ABOUT) {
        showAbout();
        return 0;
    }
    return DefWindowProcA(handle(), WM_SYSCOMMAND, command, lParam);
}

INT_PTR SetupWindow::onDisplayChange(WPARAM, LPARAM) {
    if (background_ && prepareBackground())
        InvalidateRect(handle(), nullptr, FALSE);
    return 0;
}

INT_PTR SetupWindow::onClose(WPARAM, LPARAM) {
    // Closing goes through the page's Cancel, never straight to the end.
    if (HWND page = GetWindow(handle(), GW_CHILD))
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
}

}  // namespace vortix

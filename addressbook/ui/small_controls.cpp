#include "addressbook/ui/small_controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include "addressbook/ui/about_box.h"
#include "addressbook/ui/web_address.h"
#include "framework/application.h"
#include "framework/control.h"

namespace ctlite {
namespace {

constexpr COLORREF kSeeThrough = RGB(0, 255, 0);
// The link label stays a comctl32 subclass: its tip subclasses it first, and a
// tip taken away restores the procedure it found, which would drop a table put
// on top of it.
constexpr UINT_PTR kLinkId = 13;

void repaintNow(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

bool pointerInside(HWND window, LPARAM lParam) {
    RECT client;
    GetClientRect(window, &client);
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return PtInRect(&client, at) != FALSE;
}

HFONT windowFont(HWND window) {
    auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// ---- HoverButton

void frame3d(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    HPEN light = CreatePen(PS_SOLID, 1, topLeft), dark = CreatePen(PS_SOLID, 1, bottomRight);
    HGDIOBJ old = SelectObject(dc, light);
    MoveToEx(dc, r.left, r.bottom - 1, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right - 1, r.top);
    SelectObject(dc, dark);
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, r.left - 1, r.bottom - 1);
    SelectObject(dc, old);
    DeleteObject(light);
    DeleteObject(dark);
}

struct HoverLook {
    HBITMAP bitmap;
    int state;  // 0 flat, 1 sunken, 2 raised
    bool focused;
};

void paintHoverButton(HWND button, const HoverLook& self) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(button, &paint);
    RECT r;
    GetClientRect(button, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
    if (self.state == 2)
        frame3d(dc, r, light, shadow);
    else if (self.state == 1)
        frame3d(dc, r, shadow, light);
    if (self.focused) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
    RECT inner{r.left + 5, r.top + 2, r.right - 5, r.bottom - 2};
    const int sink = self.state == 1 ? 1 : 0;
    BITMAP shape{};
    if (self.bitmap && GetObjectA(self.bitmap, sizeof shape, &shape)) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, self.bitmap);
        int x = inner.left + (inner.right - inner.left - shape.bmWidth) / 2 + sink;
        TransparentBlt(dc, x, inner.top + sink, shape.bmWidth, shape.bmHeight, source, 0, 0,
                       shape.bmWidth, shape.bmHeight, kSeeThrough);
        SelectObject(source, old);
        DeleteDC(source);
        inner.top += shape.bmHeight;
    }
    char caption[128] = "";
    GetWindowTextA(button, caption, sizeof caption);
    SelectObject(dc, windowFont(button));
    SetBkMode(dc, TRANSPARENT);
    RECT text = inner;
    OffsetRect(&text, sink, sink);
    const UINT flags = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
    if (!IsWindowEnabled(button)) {
        // Embossed: a highlight one pixel right and down, the shadow in place.
        RECT raised = text;
        OffsetRect(&raised, 1, 1);
        SetTextColor(dc, light);
        DrawTextA(dc, caption, -1, &raised, flags);
        SetTextColor(dc, shadow);
    } else {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    }
    DrawTextA(dc, caption, -1, &text, flags);
    EndPaint(button, &paint);
}

class HoverButton : public fw::ControlImpl<HoverButton> {
public:
    static const fw::MessageEntry<HoverButton> kMessages[];

    explicit HoverButton(HBITMAP bitmap) : bitmap_(bitmap) {}

private:
    INT_PTR onPaint(WPARAM, LPARAM) {
        paintHoverButton(handle(), HoverLook{bitmap_, state_, focused_});
        return 0;
    }
    INT_PTR onEraseBackground(WPARAM, LPARAM) { return 1; }
    INT_PTR onMouseMove(WPARAM keys, LPARAM at) {
        if (GetCapture() != handle()) {
            SetCapture(handle());
            state_ = (keys & MK_LBUTTON) ? 1 : 2;
            repaintNow(handle());
        } else if (!pointerInside(handle(), at)) {
            state_ = 0;
            pressed_ = false;
            ReleaseCapture();
            repaintNow(handle());
        }
        return 0;
    }
    INT_PTR onButtonDown(WPARAM, LPARAM) {
        if (GetCapture() != handle())
            SetCapture(handle());
        pressed_ = true;
        state_ = 1;
        repaintNow(handle());
        return 0;
    }
    INT_PTR onButtonUp(WPARAM, LPARAM) {
        pressed_ = false;
        state_ = 0;
        if (GetCapture() == handle())
            ReleaseCapture();
        repaintNow(handle());
        SendMessageA(GetParent(handle()), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(handle()), BN_CLICKED),
                     reinterpret_cast<LPARAM>(handle()));
        return 0;
    }
    INT_PTR onCaptureChanged(WPARAM, LPARAM newCapture) {
        if (state_ != 0 && reinterpret_cast<HWND>(newCapture) != handle()) {
            state_ = 0;
            pressed_ = false;
            InvalidateRect(handle(), nullptr, FALSE);
        }
        return 0;
    }
    INT_PTR onKillFocus(WPARAM wParam, LPARAM lParam) {
        state_ = 0;
        pressed_ = false;
        focused_ = false;
        InvalidateRect(handle(), nullptr, FALSE);
        return callOriginal(WM_KILLFOCUS, wParam, lParam);
    }
    INT_PTR onSetFocus(WPARAM wParam, LPARAM lParam) {
        focused_ = true;
        InvalidateRect(handle(), nullptr, FALSE);
        return callOriginal(WM_SETFOCUS, wParam, lParam);
    }
    // The standard handling, then the button drawn again.
    template <UINT message>
    INT_PTR redrawn(WPARAM wParam, LPARAM lParam) {
        LRESULT result = callOriginal(message, wParam, lParam);
        InvalidateRect(handle(), nullptr, FALSE);
        return result;
    }
    void onDetached() override {
        if (bitmap_)
            DeleteObject(bitmap_);
        delete this;
    }

    HBITMAP bitmap_;
    int state_ = 0;  // 0 flat, 1 sunken, 2 raised
    bool pressed_ = false;
    bool focused_ = false;
};

const fw::MessageEntry<HoverButton> HoverButton::kMessages[] = {
    {WM_PAINT, &HoverButton::onPaint},
    {WM_ERASEBKGND, &HoverButton::onEraseBackground},
    {WM_MOUSEMOVE, &HoverButton::onMouseMove},
    {WM_LBUTTONDOWN, &HoverButton::onButtonDown},
    {WM_LBUTTONDBLCLK, &HoverButton::onButtonDown},
    {WM_LBUTTONUP, &HoverButton::onButtonUp},
    {WM_CAPTURECHANGED, &HoverButton::onCaptureChanged},
    {WM_KILLFOCUS, &HoverButton::onKillFocus},
    {WM_SETFOCUS, &HoverButton::onSetFocus},
    {WM_ENABLE, &HoverButton::redrawn<WM_ENABLE>},
    {WM_SETTEXT, &HoverButton::redrawn<WM_SETTEXT>},
    {0, nullptr},
};

// ---- CaptionLabel

class CaptionLabel : public fw::ControlImpl<CaptionLabel> {
public:
    static const fw::MessageEntry<CaptionLabel> kMessages[];

    CaptionLabel(COLORREF text, COLORREF background)
        : text_(text), background_(CreateSolidBrush(background)) {}

private:
    INT_PTR onPaint(WPARAM, LPARAM) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(handle(), &paint);
        RECT r;
        GetClientRect(handle(), &r);
        FillRect(dc, &r, background_);
        char text[256] = "";
        GetWindowTextA(handle(), text, sizeof text);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, text_);
        DrawTextA(dc, text, -1, &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
        EndPaint(handle(), &paint);
        return 0;
    }
    INT_PTR onEraseBackground(WPARAM, LPARAM) { return 1; }
    INT_PTR onSetText(WPARAM wParam, LPARAM lParam) {
        // The standard static paints its new text at once, in its own way.
        LRESULT result = callOriginal(WM_SETTEXT, wParam, lParam);
        repaintNow(handle());
        return result;
    }
    void onDetached() override {
        DeleteObject(background_);
        delete this;
    }

    COLORREF text_;
    HBRUSH background_;
};

const fw::MessageEntry<CaptionLabel> CaptionLabel::kMessages[] = {
    {WM_PAINT, &CaptionLabel::onPaint},
    {WM_ERASEBKGND, &CaptionLabel::onEraseBackground},
    {WM_SETTEXT, &CaptionLabel::onSetText},
    {0, nullptr},
};

// ---- LinkLabel

struct LinkLabel {
    std::string target;
    LinkOptions options;
    bool visited = false;
    bool hover = false;
    HFONT underlined = nullptr;
    HWND tooltip = nullptr;
};

HCURSOR handCursor() {
    static HCURSOR hand = [] {
        char windows[MAX_PATH] = "";
        UINT n = GetWindowsDirectoryA(windows, sizeof windows);
        std::string helper = std::string(windows, n) + "\\winhlp32.exe";
        if (HMODULE module = LoadLibraryExA(helper.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE))
            if (HCURSOR cursor = LoadCursorA(module, MAKEINTRESOURCEA(106)))
                return CopyCursor(cursor);
        return LoadCursor(nullptr, IDC_HAND);
    }();
    return hand;
}

std::string shownText(HWND label, const LinkLabel& self) {
    char text[512] = "";
    GetWindowTextA(label, text, sizeof text);
    return *text ? std::string(text) : self.target;
}

void fitLinkToText(HWND label, const LinkLabel& self) {
    std::string text = shownText(label, self);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, self.underlined ? self.underlined : windowFont(label));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    RECT r;
    GetWindowRect(label, &r);
    MapWindowPoints(nullptr, GetParent(label), reinterpret_cast<POINT*>(&r), 2);
    LONG style = GetWindowLongA(label, GWL_STYLE) & SS_TYPEMASK;
    int left = r.left;
    if (style == SS_CENTER)
        left = (r.left + r.right - size.cx) / 2;
    else if (style == SS_RIGHT)
        left = r.right - size.cx;
    int top = (r.top + r.bottom - size.cy) / 2;
    SetWindowPos(label, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void openLink(HWND label, LinkLabel& self) {
    int code = openWebAddress(label, self.target.c_str());
    if (code > 32) {
        self.visited = true;
        repaintNow(label);
        return;
    }
    MessageBeep(MB_ICONEXCLAMATION);
    fw::messageBox(GetParent(label), "Unable to open hyperlink:\n\n" + hyperlinkFailureReason(code),
                   nullptr, MB_OK | MB_ICONEXCLAMATION);
}

LRESULT CALLBACK linkProcedure(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
    auto& self = *reinterpret_cast<LinkLabel*>(data);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(label, &paint);
            RECT r;
            GetClientRect(label, &r);
            // The parent's background shows through.
            auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(label), WM_CTLCOLORSTATIC,
                                                               reinterpret_cast<WPARAM>(dc),
                                                               reinterpret_cast<LPARAM>(label)));
            FillRect(dc, &r, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
            const LinkColours& c = self.options.colours;
            COLORREF hover = c.hover == CLR_INVALID ? GetSysColor(COLOR_HIGHLIGHT) : c.hover;
            SetTextColor(dc, self.hover ? hover : self.visited ? c.visited : c.normal);
            SetBkMode(dc, TRANSPARENT);
            SelectObject(dc, self.underlined ? self.underlined : windowFont(label));
            LONG style = GetWindowLongA(label, GWL_STYLE) & SS_TYPEMASK;
            UINT align = style == SS_CENTER ? DT_CENTER : style == SS_RIGHT ? DT_RIGHT : DT_LEFT;
            std::string text = shownText(label, self);
            DrawTextA(dc, text.c_str(), -1, &r, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            EndPaint(label, &paint);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_NCHITTEST: return HTCLIENT;  // clicks reach the label
        case WM_MOUSEMOVE:
            if (!self.hover) {
                self.hover = true;
                SetCapture(label);  // to notice the pointer leaving
                repaintNow(label);
            } else if (!pointerInside(label, lParam)) {
                self.hover = false;
                ReleaseCapture();
                repaintNow(label);
            }
            return 0;
        case WM_CAPTURECHANGED:
            if (self.hover) {
                self.hover = false;
                InvalidateRect(label, nullptr, FALSE);
            }
            return 0;
        case WM_SETCURSOR:
            if (self.options.handCursor) {
                SetCursor(handCursor());
                return TRUE;
            }
            break;
        case WM_LBUTTONUP:
            if (pointerInside(label, lParam))
                openLink(label, self);
            return 0;
        case WM_SETTEXT: {
            LRESULT result = DefSubclassProc(label, message, wParam, lParam);
            if (self.options.fitToText)
                fitLinkToText(label, self);
            repaintNow(label);
            return result;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(label, linkProcedure, kLinkId);
            if (self.tooltip)
                DestroyWindow(self.tooltip);
            if (self.underlined)
                DeleteObject(self.underlined);
            delete &self;
            break;
    }
    return DefSubclassProc(label, message, wParam, lParam);
}

}  // namespace

void attachHoverButton(HWND button, HBITMAP bitmap) {
    // The standard drawing is left out: the parent is asked to draw it, and does not.
    SendMessageA(button, BM_SETSTYLE, BS_OWNERDRAW, FALSE);
    auto* control = new HoverButton(bitmap);
    if (!control->attach(button))
        delete control;
    InvalidateRect(button, nullptr, TRUE);
}

void attachCaptionLabel(HWND label, COLORREF text, COLORREF background) {
    auto* control = new CaptionLabel(text, background);
    if (!control->attach(label))
        delete control;
    InvalidateRect(label, nullptr, TRUE);
}

void attachLinkLabel(HWND label, std::string target, const LinkOptions& options) {
    auto* self = new LinkLabel{std::move(target), options};
    if (self->target.empty())
        self->target = fw::windowText(label);
    SetWindowLongA(label, GWL_STYLE, GetWindowLongA(label, GWL_STYLE) | SS_NOTIFY);
    if (options.underline) {
        LOGFONTA font{};
        GetObjectA(windowFont(label), sizeof font, &font);
        font.lfUnderline = TRUE;
        self->underlined = CreateFontIndirectA(&font);
    }
    self->tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                    WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, label, nullptr,
                                    fw::resourceInstance(), nullptr);
    TOOLINFOA tip{};
    tip.cbSize = sizeof tip;
    tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tip.hwnd = GetParent(label);
    tip.uId = reinterpret_cast<UINT_PTR>(label);
    tip.lpszText = self->target.data();
    SendMessageA(self->tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tip));
    SetWindowSubclass(label, linkProcedure, kLinkId, reinterpret_cast<DWORD_PTR>(self));
    if (options.fitToText)
        fitLinkToText(label, *self);
    InvalidateRect(label, nullptr, TRUE);
}

}  // namespace ctlite

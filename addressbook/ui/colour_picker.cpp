#include "addressbook/ui/colour_picker.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include "addressbook/ui/resource.h"

namespace ctlite {
namespace {

constexpr UINT_PTR kPickerId = 21;
// The button's state, for the functions that reach it by its window.
constexpr char kStateProperty[] = "ContavoColourButton";
// The part of the parent that shows the chosen colours (the settings' preview).
constexpr RECT kPreview{403, 139, 518, 192};

struct ColourButton {
    COLORREF colour;
};

void drawArrow(HDC dc, int x, int y, COLORREF colour) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    for (int row = 0; row < 3; ++row) {
        MoveToEx(dc, x + row, y + row, nullptr);
        LineTo(dc, x + 5 - row, y + row);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

void paintColourButton(HWND button, const ColourButton& self) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(button, &paint);
    RECT r;
    GetClientRect(button, &r);
    bool pushed = (SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    bool enabled = IsWindowEnabled(button) != FALSE;
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    if (enabled) {
        RECT swatch{r.left + 5, r.top + 4, r.right - 15, r.bottom - 4};
        HBRUSH brush = CreateSolidBrush(self.colour);
        FillRect(dc, &swatch, brush);
        DeleteObject(brush);
        FrameRect(dc, &swatch, GetSysColorBrush(COLOR_BTNSHADOW));
    }
    HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    HGDIOBJ old = SelectObject(dc, shadow);
    MoveToEx(dc, r.right - 11, r.top + 4, nullptr);
    LineTo(dc, r.right - 11, r.bottom - 4);
    SelectObject(dc, light);
    MoveToEx(dc, r.right - 10, r.top + 4, nullptr);
    LineTo(dc, r.right - 10, r.bottom - 4);
    SelectObject(dc, old);
    DeleteObject(shadow);
    DeleteObject(light);
    int arrowX = r.right - 8, arrowY = (r.top + r.bottom) / 2 - 1;
    if (enabled) {
        drawArrow(dc, arrowX - 1, arrowY, GetSysColor(COLOR_BTNTEXT));
    } else {  // embossed
        drawArrow(dc, arrowX, arrowY + 1, RGB(255, 255, 255));
        drawArrow(dc, arrowX - 1, arrowY, GetSysColor(COLOR_BTNSHADOW));
    }
    if (GetFocus() == button) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);  // a dotted line: every second pixel
    }
    EndPaint(button, &paint);
}

void openPopup(HWND button, ColourButton& self) {
    std::optional<COLORREF> chosen = ColorPickerPopup(button).run();
    if (!chosen)
        return;
    self.colour = *chosen;
    InvalidateRect(button, nullptr, FALSE);
    InvalidateRect(GetParent(button), &kPreview, TRUE);
}

LRESULT CALLBACK pickerProcedure(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR data) {
    auto& self = *reinterpret_cast<ColourButton*>(data);
    switch (message) {
        case WM_PAINT: paintColourButton(button, self); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_LBUTTONUP:
        case WM_KEYUP: {
            // A press released over the button, or Space let go: a click.
            bool wasPushed = (SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
            LRESULT result = DefSubclassProc(button, message, wParam, lParam);
            InvalidateRect(button, nullptr, FALSE);
            RECT client;
            GetClientRect(button, &client);
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            bool click = wasPushed && (message == WM_LBUTTONUP ? PtInRect(&client, at) != FALSE
                                                               : wParam == VK_SPACE);
            if (click)
                openPopup(button, self);
            return result;
        }
        case WM_LBUTTONDOWN:
        case WM_KEYDOWN:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
        case BM_SETSTATE: {
            LRESULT result = DefSubclassProc(button, message, wParam, lParam);
            InvalidateRect(button, nullptr, FALSE);
            return result;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(button, pickerProcedure, kPickerId);
            RemovePropA(button, kStateProperty);
            delete &self;
            break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

ColourButton* pickerOf(HWND button) {
    return static_cast<ColourButton*>(GetPropA(button, kStateProperty));
}

}  // namespace

ColourPalette& sharedColourPalette() {
    static ColourPalette palette;
    return palette;
}

void attachColourPicker(HWND button, COLORREF colour) {
    // The standard drawing is left out: the parent is asked to draw it, and does not.
    SendMessageA(button, BM_SETSTYLE, BS_OWNERDRAW, FALSE);
    auto* self = new ColourButton{colour};
    SetPropA(button, kStateProperty, self);
    SetWindowSubclass(button, pickerProcedure, kPickerId, reinterpret_cast<DWORD_PTR>(self));
}

COLORREF pickerColour(HWND button) {
    ColourButton* self = pickerOf(button);
    return self ? self->colour : RGB(255, 255, 255);
}

void setPickerColour(HWND button, COLORREF colour) {
    if (ColourButton* self = pickerOf(button)) {
        self->colour = colour;
        InvalidateRect(button, nullptr, FALSE);
    }
}

// ---- the popup

const fw::CommandEntry<ColorPickerPopup> ColorPickerPopup::kCommands[] = {
    {IDC_POPUP_OTHER, BN_CLICKED, &ColorPickerPopup::onOther},
    {IDCANCEL, BN_CLICKED, &ColorPickerPopup::onCancel},
    {0, 0, nullptr},
};

const fw::MessageEntry<ColorPickerPopup> ColorPickerPopup::kMessages[] = {
    {WM_DRAWITEM, &ColorPickerPopup::onDrawItem},
    {WM_LBUTTONDOWN, &ColorPickerPopup::onButtonDown},
    {WM_LBUTTONUP, &ColorPickerPopup::onButtonUp},
    {WM_COMMAND, &ColorPickerPopup::onColourCommand},  // the twenty colour buttons
    {0, nullptr},
};

std::optional<COLORREF> ColorPickerPopup::run() {
    if (runModal(IDD_COLOUR_POPUP, GetParent(button_)) != IDOK)
        return std::nullopt;
    return chosen_;
}

BOOL ColorPickerPopup::onInit() {
    // Under the button's lower-left corner, moved up or left to stay on the screen.
    RECT under, own;
    GetWindowRect(button_, &under);
    GetWindowRect(handle(), &own);
    int width = own.right - own.left, height = own.bottom - own.top;
    int x = under.left, y = under.bottom;
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (x + width > screenWidth)
        x = screenWidth - width;
    if (y + height > screenHeight)
        y = screenHeight - height;
    SetWindowPos(handle(), nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetCapture(handle());
    return TRUE;
}

INT_PTR ColorPickerPopup::onDrawItem(WPARAM, LPARAM lParam) {
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    int index = static_cast<int>(item.CtlID) - IDC_POPUP_COLOUR_FIRST;
    if (index < 0 || index >= ColourPalette::kSize)
        return FALSE;
    HBRUSH brush = CreateSolidBrush(sharedColourPalette().colour(index));
    FillRect(item.hDC, &item.rcItem, brush);
    DeleteObject(brush);
    return TRUE;
}

HWND ColorPickerPopup::childAt(LPARAM lParam) const {
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    HWND child = ChildWindowFromPointEx(handle(), at, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
    return child == handle() ? nullptr : child;
}

// The popup holds the mouse: a press outside it ends it; a press and release over
// one of its buttons is that button's click.
INT_PTR ColorPickerPopup::onButtonDown(WPARAM, LPARAM lParam) {
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT client;
    GetClientRect(handle(), &client);
    if (!PtInRect(&client, at)) {
        end(IDCANCEL);
        return TRUE;
    }
    pressed_ = childAt(lParam);
    return TRUE;
}

INT_PTR ColorPickerPopup::onButtonUp(WPARAM, LPARAM lParam) {
    HWND released = childAt(lParam);
    if (released && released == pressed_)
        SendMessageA(handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(released), BN_CLICKED),
                     reinterpret_cast<LPARAM>(released));
    pressed_ = nullptr;
    return TRUE;
}

INT_PTR ColorPickerPopup::onColourCommand(WPARAM wParam, LPARAM) {
    int index = LOWORD(wParam) - IDC_POPUP_COLOUR_FIRST;
    if (HIWORD(wParam) == BN_CLICKED && index >= 0 && index < ColourPalette::kSize)
        choose(index);
    return TRUE;
}

void ColorPickerPopup::choose(int index) {
    ColourPalette& palette = sharedColourPalette();
    palette.choose(index);
    chosen_ = palette.colour(index);
    ReleaseCapture();
    end(IDOK);
}

void ColorPickerPopup::onOther() {
    ReleaseCapture();
    static COLORREF custom[16] = {};
    CHOOSECOLORA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = handle();
    dialog.rgbResult = pickerColour(button_);
    dialog.lpCustColors = custom;
    dialog.Flags = CC_FULLOPEN | CC_RGBINIT;
    if (!ChooseColorA(&dialog)) {
        SetCapture(handle());  // still open
        return;
    }
    ColourPalette& palette = sharedColourPalette();
    int index = palette.chooseOther(dialog.rgbResult);
    chosen_ = palette.colour(index);
    end(IDOK);
}

}  // namespace ctlite

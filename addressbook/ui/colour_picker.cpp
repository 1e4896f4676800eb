#include "addressbook/ui/colour_picker.h"

#include <commdlg.h>
#include <windowsx.h>

#include "addressbook/ui/resource.h"
#include "framework/control.h"

namespace ctlite {
namespace {

// The part of the parent that shows the chosen colours: the settings' preview box,
// wherever the dialog's font puts it; in any other parent the preview's place at
// the usual font.
RECT previewIn(HWND parent) {
    RECT area{403, 139, 518, 192};
    if (HWND box = GetDlgItem(parent, IDC_SETTINGS_PREVIEW)) {
        GetWindowRect(box, &area);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    }
    return area;
}

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

void paintColourButton(HWND button, COLORREF colour) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(button, &paint);
    RECT r;
    GetClientRect(button, &r);
    bool pushed = (SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    bool enabled = IsWindowEnabled(button) != FALSE;
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    if (enabled) {
        RECT swatch{r.left + 5, r.top + 4, r.right - 15, r.bottom - 4};
        HBRUSH brush = CreateSolidBrush(colour);
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

// A push button that shows its colour and opens the popup when clicked.
struct ColourButton : public fw::ControlImpl<ColourButton> {
    static const fw::MessageEntry<ColourButton> kMessages[];

    explicit ColourButton(COLORREF c) : colour(c) {}
    COLORREF colour;

private:
    INT_PTR onPaint(WPARAM, LPARAM) {
        paintColourButton(handle(), colour);
        return 0;
    }
    INT_PTR onEraseBackground(WPARAM, LPARAM) { return 1; }
    // A press released over the button, or Space let go: a click.
    INT_PTR onButtonUp(WPARAM wParam, LPARAM lParam) {
        return released(WM_LBUTTONUP, wParam, lParam);
    }
    INT_PTR onKeyUp(WPARAM wParam, LPARAM lParam) { return released(WM_KEYUP, wParam, lParam); }
    LRESULT released(UINT message, WPARAM wParam, LPARAM lParam) {
        bool wasPushed = (SendMessageA(handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
        LRESULT result = callOriginal(message, wParam, lParam);
        InvalidateRect(handle(), nullptr, FALSE);
        RECT client;
        GetClientRect(handle(), &client);
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        bool click = wasPushed && (message == WM_LBUTTONUP ? PtInRect(&client, at) != FALSE
                                                           : wParam == VK_SPACE);
        if (click)
            openPopup();
        return result;
    }
    void openPopup() {
        std::optional<COLORREF> chosen = ColorPickerPopup(handle()).run();
        if (!chosen)
            return;
        colour = *chosen;
        InvalidateRect(handle(), nullptr, FALSE);
        RECT preview = previewIn(GetParent(handle()));
        InvalidateRect(GetParent(handle()), &preview, TRUE);
    }
    // The standard handling, then the button drawn again in its new state.
    template <UINT message>
    INT_PTR redrawn(WPARAM wParam, LPARAM lParam) {
        LRESULT result = callOriginal(message, wParam, lParam);
        InvalidateRect(handle(), nullptr, FALSE);
        return result;
    }
    void onDetached() override { delete this; }
};

const fw::MessageEntry<ColourButton> ColourButton::kMessages[] = {
    {WM_PAINT, &ColourButton::onPaint},
    {WM_ERASEBKGND, &ColourButton::onEraseBackground},
    {WM_LBUTTONUP, &ColourButton::onButtonUp},
    {WM_KEYUP, &ColourButton::onKeyUp},
    {WM_LBUTTONDOWN, &ColourButton::redrawn<WM_LBUTTONDOWN>},
    {WM_KEYDOWN, &ColourButton::redrawn<WM_KEYDOWN>},
    {WM_SETFOCUS, &ColourButton::redrawn<WM_SETFOCUS>},
    {WM_KILLFOCUS, &ColourButton::redrawn<WM_KILLFOCUS>},
    {WM_ENABLE, &ColourButton::redrawn<WM_ENABLE>},
    {BM_SETSTATE, &ColourButton::redrawn<BM_SETSTATE>},
    {0, nullptr},
};

ColourButton* pickerOf(HWND button) {
    return fw::Control::of<ColourButton>(button);
}

}  // namespace

ColourPalette& sharedColourPalette() {
    static ColourPalette palette;
    return palette;
}

void attachColourPicker(HWND button, COLORREF colour) {
    // The standard drawing is left out: the parent is asked to draw it, and does not.
    SendMessageA(button, BM_SETSTYLE, BS_OWNERDRAW, FALSE);
    auto* self = new ColourButton(colour);
    if (!self->attach(button))
        delete self;
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

#include "addressbook/ui/list_drawing.h"

#include <string>

namespace ctlite {
namespace {

constexpr COLORREF kTransparent = RGB(0, 255, 0);

std::string lineText(const DRAWITEMSTRUCT& item, UINT lengthMessage, UINT textMessage) {
    if (item.itemID == static_cast<UINT>(-1))
        return {};
    LRESULT length = SendMessageA(item.hwndItem, lengthMessage, item.itemID, 0);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(item.hwndItem, textMessage, item.itemID, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void drawIcon(HDC dc, HBITMAP icon, int x, int y) {
    BITMAP shape;
    if (!icon || !GetObjectA(icon, sizeof shape, &shape))
        return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, icon);
    TransparentBlt(dc, x, y, shape.bmWidth, shape.bmHeight, source, 0, 0, shape.bmWidth,
                   shape.bmHeight, kTransparent);
    SelectObject(source, old);
    DeleteDC(source);
}

void drawLine(const DRAWITEMSTRUCT& item, HBITMAP icon, int textOffset, const std::string& text,
              COLORREF selectedFill, COLORREF selectedText) {
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    HBRUSH fill = CreateSolidBrush(selected ? selectedFill : GetSysColor(COLOR_WINDOW));
    FillRect(dc, &r, fill);
    DeleteObject(fill);
    if (item.itemID == static_cast<UINT>(-1))
        return;
    drawIcon(dc, icon, r.left, r.top);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = SetTextColor(dc, selected ? selectedText : GetSysColor(COLOR_WINDOWTEXT));
    TextOutA(dc, r.left + textOffset, r.top + 2, text.c_str(), static_cast<int>(text.size()));
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(dc, &r);
}

}  // namespace

void drawNameLine(const DRAWITEMSTRUCT& item, HBITMAP entryIcon, const std::string& text) {
    drawLine(item, entryIcon, 16, text, GetSysColor(COLOR_HIGHLIGHT), RGB(255, 255, 255));
}

void drawGroupLine(const DRAWITEMSTRUCT& item, HBITMAP groupIcon) {
    drawLine(item, groupIcon, 20, lineText(item, CB_GETLBTEXTLEN, CB_GETLBTEXT), kTransparent,
             GetSysColor(COLOR_WINDOWTEXT));
}

}  // namespace ctlite

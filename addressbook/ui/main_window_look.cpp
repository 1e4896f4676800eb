#include "addressbook/ui/main_window.h"

#include <commctrl.h>

#include <tuple>

#include "addressbook/ui/list_drawing.h"
#include "addressbook/ui/resource.h"
#include "addressbook/ui/small_controls.h"

namespace ctlite {

void MainWindow::setUpButtons() {
    HINSTANCE instance = fw::resourceInstance();
    // The owner-drawn lists: their icons and fixed line heights.
    groupIcon_ = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDB_GROUP), IMAGE_BITMAP, 0, 0, 0));
    entryIcon_ = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDB_ENTRY), IMAGE_BITMAP, 0, 0, 0));
    sendItem(IDC_NAME_LIST, LB_SETITEMHEIGHT, 0, kNameLineHeight);
    sendItem(IDC_GROUP, CB_SETITEMHEIGHT, 0, kGroupLineHeight);
    struct Face {
        int control, bitmap, tip;
    };
    static const Face kFaces[] = {
        {IDC_ADD, IDB_ADD, IDS_TIP_ADD},       {IDC_CALL, IDB_CALL, IDS_TIP_CALL},
        {IDC_EMAIL, IDB_EMAIL, IDS_TIP_EMAIL}, {IDC_DELETE, IDB_DELETE, IDS_TIP_DELETE},
        {IDC_PRINT, IDB_PRINT, IDS_TIP_PRINT}, {IDC_FIND, IDB_FIND, IDS_TIP_FIND},
        {IDOK, IDB_EXIT, IDS_TIP_EXIT},
    };
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle(),
                               nullptr, instance, nullptr);
    // White tips with the button-text colour, as the button row's own colours.
    SendMessageA(tooltip_, TTM_SETTIPBKCOLOR, RGB(255, 255, 255), 0);
    SendMessageA(tooltip_, TTM_SETTIPTEXTCOLOR, GetSysColor(COLOR_BTNTEXT), 0);
    SendMessageA(tooltip_, TTM_ACTIVATE, TRUE, 0);
    auto addTip = [&](int control, int tip) {
        char text[128] = "";
        LoadStringA(instance, tip, text, sizeof text);
        TOOLINFOA info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = handle();
        info.uId = reinterpret_cast<UINT_PTR>(item(control));
        info.lpszText = text;
        SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    };
    for (const Face& face : kFaces) {
        HANDLE bitmap = LoadImageA(instance, MAKEINTRESOURCEA(face.bitmap), IMAGE_BITMAP, 0, 0, 0);
        attachHoverButton(item(face.control), static_cast<HBITMAP>(bitmap));
        addTip(face.control, face.tip);
    }
    for (auto [control, icon, tip] : {std::tuple{IDC_BACK, IDI_BACK, IDS_TIP_BACK},
                                      std::tuple{IDC_NEXT, IDI_NEXT, IDS_TIP_NEXT}}) {
        HANDLE image = LoadImageA(instance, MAKEINTRESOURCEA(icon), IMAGE_ICON, 16, 16, 0);
        setItemIcon(control, static_cast<HICON>(image));
        addTip(control, tip);
    }
}

void MainWindow::onSize(UINT sizing, int, int) {
    if (sizing == SIZE_MINIMIZED) {
        hideInTray();
        return;
    }
    RECT client;
    GetClientRect(handle(), &client);
    auto rectOf = [&](int id) {
        RECT r;
        GetWindowRect(item(id), &r);
        MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    RECT list = rectOf(IDC_NAME_LIST);
    MoveWindow(item(IDC_NAME_LIST), list.left, list.top, list.right - list.left,
               client.bottom - 36 - list.top, TRUE);
    RECT group = rectOf(IDC_GROUP);
    MoveWindow(item(IDC_GROUP), group.left, group.top, client.right - group.left,
               group.bottom - group.top, TRUE);
    for (int id : {IDC_BACK, IDC_NEXT}) {
        RECT button = rectOf(id);
        int height = button.bottom - button.top;
        MoveWindow(item(id), button.left, client.bottom - 10 - height, button.right - button.left,
                   height, TRUE);
    }
    display_.refit();
    // Everything is drawn again, the controls and the card too: what a moved or
    // resized child kept of its old picture (the card's marks at its old width,
    // the arrow buttons' faces) is not what it shows at its new place and size.
    RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---- painting

INT_PTR MainWindow::onDialogColour(WPARAM, LPARAM) {
    // The workspace colour shows only around the display window; onPaint covers the rest.
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_APPWORKSPACE));
}

INT_PTR MainWindow::onStaticColour(WPARAM wParam, LPARAM) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

INT_PTR MainWindow::onDrawItem(WPARAM control, LPARAM lParam) {
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (control == IDC_NAME_LIST)
        drawNameLine(item, entryIcon_,
                     item.itemID < names_.size() ? names_.lines()[item.itemID].text : "");
    else if (control == IDC_GROUP)
        drawGroupLine(item, groupIcon_);
    else
        return FALSE;
    return TRUE;
}

INT_PTR MainWindow::onPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle(), &paint);
    if (IsIconic(handle())) {
        RECT client;
        GetClientRect(handle(), &client);
        DrawIcon(dc, (client.right - GetSystemMetrics(SM_CXICON)) / 2,
                 (client.bottom - GetSystemMetrics(SM_CYICON)) / 2, icon_);
        EndPaint(handle(), &paint);
        return TRUE;
    }
    RECT client, group, list;
    GetClientRect(handle(), &client);
    GetWindowRect(item(IDC_GROUP), &group);
    GetWindowRect(item(IDC_NAME_LIST), &list);
    MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&group), 2);
    MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&list), 2);
    // The button row down to the group selector, and the left panel, in the button face.
    RECT strip{0, 0, client.right, group.bottom};
    RECT panel{0, 0, list.right + 3, client.bottom};
    FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
    FillRect(dc, &panel, GetSysColorBrush(COLOR_BTNFACE));
    // Etched lines: shadow, then highlight.
    auto etch = [&](int x1, int y1, int x2, int y2, bool vertical) {
        HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        HGDIOBJ old = SelectObject(dc, shadow);
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
        SelectObject(dc, light);
        MoveToEx(dc, x1 + (vertical ? 1 : 0), y1 + (vertical ? 0 : 1), nullptr);
        LineTo(dc, x2 + (vertical ? 1 : 0), y2 + (vertical ? 0 : 1));
        SelectObject(dc, old);
        DeleteObject(shadow);
        DeleteObject(light);
    };
    etch(0, 0, client.right, 0, false);
    etch(0, group.bottom, client.right, group.bottom, false);
    etch(panel.right, group.bottom, panel.right, client.bottom, true);
    EndPaint(handle(), &paint);
    return TRUE;
}

INT_PTR MainWindow::onRightButtonUp(WPARAM, LPARAM) {
    // The Options menu at the pointer.
    HMENU options = GetSubMenu(GetMenu(handle()), 4);
    POINT at;
    GetCursorPos(&at);
    if (options)
        TrackPopupMenu(options, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, handle(), nullptr);
    return TRUE;
}

}  // namespace ctlite

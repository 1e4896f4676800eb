#include "addressbook/ui/name_list_controls.h"

#include <commctrl.h>

#include "addressbook/ui/menu_states.h"
#include "addressbook/ui/resource.h"
#include "framework/window_base.h"

namespace ctlite {
namespace {

constexpr UINT_PTR kNameListId = 1, kRepeatId = 2;

void command(HWND control, int id) {
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void showListMenu(HWND list, LPARAM at) {
    if (SendMessageA(list, LB_GETCURSEL, 0, 0) == LB_ERR)
        return;  // nothing to act on
    HMENU menu = LoadMenuA(fw::resourceInstance(), MAKEINTRESOURCEA(IDR_LISTBOX));
    if (!menu)
        return;
    POINT screen{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ClientToScreen(list, &screen);
    HMENU popup = GetSubMenu(menu, 0);
    mirrorCommandStates(popup, GetParent(list));
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, GetParent(list),
                   nullptr);
    DestroyMenu(menu);
}

void step(HWND list, LPARAM direction) {
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    LRESULT line = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (direction == kStepNext) {
        LRESULT next = line == LB_ERR ? 0 : line + 1;
        if (next < count)
            SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(next), 0);
    } else if (line != LB_ERR && line > 0) {
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line - 1), 0);
    }
}

LRESULT CALLBACK nameListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR) {
    switch (message) {
        case WM_RBUTTONDOWN:
            // The selection stays as it is.
            showListMenu(list, lParam);
            return 0;
        case WM_GETDLGCODE:
            // Enter is the list's own; the dialog would take it as Exit.
            if (lParam && reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN &&
                reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN)
                return DLGC_WANTMESSAGE;
            break;
        case WM_KEYDOWN:
            if (wParam == VK_DELETE) {
                command(list, ID_ENTRY_DELETE);
                return 0;
            }
            if (wParam == VK_RETURN) {
                if (SendMessageA(list, LB_GETCURSEL, 0, 0) != LB_ERR)
                    command(list, ID_ENTRY_EDIT);
                return 0;
            }
            break;
        case kStepMessage: step(list, lParam); return 0;
        case WM_NCDESTROY: RemoveWindowSubclass(list, nameListProcedure, kNameListId); break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

struct RepeatTarget {
    HWND target;
    LPARAM direction;
};

LRESULT CALLBACK repeatProcedure(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR data) {
    auto* repeat = reinterpret_cast<RepeatTarget*>(data);
    if (message == WM_LBUTTONDOWN) {
        LRESULT result = DefSubclassProc(button, message, wParam, lParam);
        // One step for a click, then more and more often while the button is held.
        MSG up;
        int n = 0;
        do {
            Sleep(repeatDelay(n++));
            SendMessageA(repeat->target, kStepMessage, static_cast<WPARAM>(GetDlgCtrlID(button)),
                         repeat->direction);
        } while (!PeekMessageA(&up, button, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE));
        SendMessageA(button, WM_LBUTTONUP, up.wParam, up.lParam);
        return result;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(button, repeatProcedure, kRepeatId);
        delete repeat;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

}  // namespace

void attachNameList(HWND list) {
    SetWindowSubclass(list, nameListProcedure, kNameListId, 0);
}

void attachRepeatButton(HWND button, HWND target, LPARAM direction) {
    SetWindowSubclass(button, repeatProcedure, kRepeatId,
                      reinterpret_cast<DWORD_PTR>(new RepeatTarget{target, direction}));
}

}  // namespace ctlite

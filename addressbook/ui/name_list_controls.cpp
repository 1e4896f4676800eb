#include "addressbook/ui/name_list_controls.h"

#include "addressbook/ui/menu_states.h"
#include "addressbook/ui/resource.h"
#include "framework/control.h"

namespace ctlite {
namespace {

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

// The name list: a standard list box with the menu, the keys and the steps.
class NameList : public fw::ControlImpl<NameList> {
public:
    static const fw::MessageEntry<NameList> kMessages[];

private:
    INT_PTR onRightButtonDown(WPARAM, LPARAM at) {
        // The selection stays as it is.
        showListMenu(handle(), at);
        return 0;
    }
    INT_PTR onGetDialogCode(WPARAM wParam, LPARAM lParam) {
        // Enter is the list's own; the dialog would take it as Exit.
        const auto* message = reinterpret_cast<const MSG*>(lParam);
        if (message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN)
            return DLGC_WANTMESSAGE;
        return callOriginal(WM_GETDLGCODE, wParam, lParam);
    }
    INT_PTR onKeyDown(WPARAM key, LPARAM lParam) {
        if (key == VK_DELETE) {
            command(handle(), ID_ENTRY_DELETE);
            return 0;
        }
        if (key == VK_RETURN) {
            if (SendMessageA(handle(), LB_GETCURSEL, 0, 0) != LB_ERR)
                command(handle(), ID_ENTRY_EDIT);
            return 0;
        }
        return callOriginal(WM_KEYDOWN, key, lParam);
    }
    INT_PTR onStep(WPARAM, LPARAM direction) {
        step(handle(), direction);
        return 0;
    }
    void onDetached() override { delete this; }
};

const fw::MessageEntry<NameList> NameList::kMessages[] = {
    {WM_RBUTTONDOWN, &NameList::onRightButtonDown},
    {WM_GETDLGCODE, &NameList::onGetDialogCode},
    {WM_KEYDOWN, &NameList::onKeyDown},
    {kStepMessage, &NameList::onStep},
    {0, nullptr},
};

// An arrow button: one step for a click, then more and more often while held.
class RepeatButton : public fw::ControlImpl<RepeatButton> {
public:
    static const fw::MessageEntry<RepeatButton> kMessages[];

    RepeatButton(HWND target, LPARAM direction) : target_(target), direction_(direction) {}

private:
    INT_PTR onButtonDown(WPARAM wParam, LPARAM lParam) {
        LRESULT result = callOriginal(WM_LBUTTONDOWN, wParam, lParam);
        MSG up;
        int n = 0;
        do {
            Sleep(repeatDelay(n++));
            SendMessageA(target_, kStepMessage, static_cast<WPARAM>(GetDlgCtrlID(handle())),
                         direction_);
            if (PeekMessageA(&up, handle(), WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE)) {
                SendMessageA(handle(), WM_LBUTTONUP, up.wParam, up.lParam);
                break;
            }
            // The peek above has run the messages sent meanwhile: a window that took
            // the mouse (a message box, a menu) or a cancel has let the button go, and
            // its button-up will never come here.
        } while (stillHeld());
        return result;
    }
    bool stillHeld() const {
        return GetCapture() == handle() &&
               (SendMessageA(handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    }
    void onDetached() override { delete this; }

    HWND target_;
    LPARAM direction_;
};

const fw::MessageEntry<RepeatButton> RepeatButton::kMessages[] = {
    {WM_LBUTTONDOWN, &RepeatButton::onButtonDown},
    {0, nullptr},
};

}  // namespace

void attachNameList(HWND list) {
    auto* control = new NameList;
    if (!control->attach(list))
        delete control;
}

void attachRepeatButton(HWND button, HWND target, LPARAM direction) {
    auto* control = new RepeatButton(target, direction);
    if (!control->attach(button))
        delete control;
}

}  // namespace ctlite

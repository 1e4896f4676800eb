#include "addressbook/ui/name_list_controls.h"

#include <string>

#include "addressbook/model/text.h"
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

std::wstring wide(const std::string& text) {
    std::wstring out(text.size(), L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                     out.data(), static_cast<int>(out.size()));
    out.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return out;
}

// The name list: a standard list box with the menu, the keys and the steps. The
// list box holds only a count of lines (an owner-data list): their texts and
// entries are the main window's lines, answered here.
class NameListControl : public fw::ControlImpl<NameListControl> {
public:
    static const fw::MessageEntry<NameListControl> kMessages[];

    explicit NameListControl(const NameList& lines) : lines_(lines) {}

    bool attachTo(HWND list) {
        if (!attach(list))
            return false;
        // The list box reads its style once, when it is made, so it stays an
        // owner-data list; the style now says it has strings, so that callers
        // in other processes are given room for the texts answered here.
        SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | LBS_HASSTRINGS);
        return true;
    }
    void show() {
        SendMessageW(handle(), LB_RESETCONTENT, 0, 0);
        SendMessageW(handle(), LB_SETCOUNT, lines_.size(), 0);
    }

private:
    const NameLine* line(WPARAM at) const {
        return at < lines_.size() ? &lines_.lines()[at] : nullptr;
    }
    INT_PTR onGetTextLength(WPARAM at, LPARAM) {
        const NameLine* shown = line(at);
        return shown ? static_cast<INT_PTR>(wide(shown->text).size()) : LB_ERR;
    }
    INT_PTR onGetText(WPARAM at, LPARAM buffer) {
        const NameLine* shown = line(at);
        if (!shown || !buffer)
            return LB_ERR;
        std::wstring text = wide(shown->text);
        auto* out = reinterpret_cast<wchar_t*>(buffer);
        text.copy(out, text.size());
        out[text.size()] = L'\0';
        return static_cast<INT_PTR>(text.size());
    }
    INT_PTR onGetItemData(WPARAM at, LPARAM) {
        const NameLine* shown = line(at);
        return shown ? shown->index : LB_ERR;
    }
    INT_PTR onChar(WPARAM typed, LPARAM) {
        // As a list box of strings does: the next line after the caret (round to
        // the top) that begins with the typed letter.
        char letter = 0;
        auto unit = static_cast<wchar_t>(typed);
        if (typed < 0x20 ||
            WideCharToMultiByte(CP_ACP, 0, &unit, 1, &letter, 1, nullptr, nullptr) != 1)
            return 0;
        std::size_t count = lines_.size();
        LRESULT caret = SendMessageW(handle(), LB_GETCARETINDEX, 0, 0);
        std::size_t from = caret >= 0 ? static_cast<std::size_t>(caret) + 1 : 0;
        for (std::size_t step = 0; step < count; ++step) {
            std::size_t at = (from + step) % count;
            const std::string& text = lines_.lines()[at].text;
            if (!text.empty() && foldUpper(text[0]) == foldUpper(letter)) {
                SendMessageW(handle(), LB_SETCURSEL, at, 0);
                SendMessageW(GetParent(handle()), WM_COMMAND,
                             MAKEWPARAM(GetDlgCtrlID(handle()), LBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(handle()));
                break;
            }
        }
        return 0;
    }

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

    const NameList& lines_;
};

const fw::MessageEntry<NameListControl> NameListControl::kMessages[] = {
    {WM_RBUTTONDOWN, &NameListControl::onRightButtonDown},
    {WM_GETDLGCODE, &NameListControl::onGetDialogCode},
    {WM_KEYDOWN, &NameListControl::onKeyDown},
    {WM_CHAR, &NameListControl::onChar},
    {LB_GETTEXTLEN, &NameListControl::onGetTextLength},
    {LB_GETTEXT, &NameListControl::onGetText},
    {LB_GETITEMDATA, &NameListControl::onGetItemData},
    {kStepMessage, &NameListControl::onStep},
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

void attachNameList(HWND list, const NameList& lines) {
    auto* control = new NameListControl(lines);
    if (!control->attachTo(list))
        delete control;
}

void showNameLines(HWND list) {
    if (auto* control = fw::Control::of<NameListControl>(list))
        control->show();
}

void attachRepeatButton(HWND button, HWND target, LPARAM direction) {
    auto* control = new RepeatButton(target, direction);
    if (!control->attach(button))
        delete control;
}

}  // namespace ctlite

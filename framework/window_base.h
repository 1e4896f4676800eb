// What dialogs, property pages and plain windows have in common: the window the
// object is bound to, the binding itself, the guard that keeps exceptions out of
// Windows, and one helper for every operation on a control inside the window.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <type_traits>

#include "framework/data_exchange.h"

namespace fw {

// A window's or control's whole text, however long.
std::string windowText(HWND window);
void setWindowText(HWND window, std::string_view text);

// The module the program's resources (dialogs, icons, bitmaps, strings) come from.
HINSTANCE resourceInstance();

class WindowBase {
public:
    WindowBase() = default;
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;
    virtual ~WindowBase() = default;

    HWND handle() const { return hwnd_; }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    LRESULT sendItem(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendDlgItemMessageA(hwnd_, id, message, wParam, lParam);
    }

    std::string itemText(int id) const { return windowText(item(id)); }
    void setItemText(int id, std::string_view text) const { setWindowText(item(id), text); }
    void enableItem(int id, bool enabled = true) const { EnableWindow(item(id), enabled); }
    bool isChecked(int id) const { return sendItem(id, BM_GETCHECK) == BST_CHECKED; }
    void setChecked(int id, bool checked) const {
        sendItem(id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    // An icon on a static control or a button; the window does not take ownership.
    void setItemIcon(int id, HICON icon) const;

    // The procedure's answer for a handler that gives the message's result: a
    // window returns it, a dialog sets it as DWLP_MSGRESULT and returns TRUE.
    virtual INT_PTR handledResult(LRESULT value) { return value; }

protected:
    // A message for the class's tables: true when handled, with the procedure's result.
    virtual bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) = 0;

    // The class's data table (data_exchange.h): sets the controls from the
    // members; a dialog does it before onInit.
    virtual void loadData() {}
    // Reads the controls back into the members: false when an integer's text is
    // not a number, with the focus then on that control and its text selected.
    virtual bool saveData() { return true; }

    // The object bound to `hwnd` in the window word `slot`; an `arriving` object
    // (from the creation message) is bound first.
    static WindowBase* bound(HWND hwnd, int slot, WindowBase* arriving);
    // Passes a message to dispatch(); no exception gets through. The binding ends
    // with WM_NCDESTROY.
    bool route(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) noexcept;
    void unbind(int slot);

private:
    HWND hwnd_ = nullptr;
};

// A handler for WM_COMMAND from a control or menu id with a notification code
// (0 for menu commands and button clicks); a null handler ends the table.
template <class T>
struct CommandEntry {
    int id;
    int code;
    void (T::*handler)();
};

// A handler for any other message; a null handler ends the table.
template <class T>
struct MessageEntry {
    UINT message;
    INT_PTR (T::*handler)(WPARAM, LPARAM);
};

// A handler for WM_NOTIFY from control `id` with notification `code`; what it
// returns is the message's result. A null handler ends the table.
template <class T>
struct NotifyEntry {
    int id;
    UINT code;
    LRESULT (T::*handler)(const NMHDR&);
};

// A handler for WM_TIMER of the timer `id`; a null handler ends the table.
template <class T>
struct TimerEntry {
    UINT_PTR id;
    void (T::*handler)();
};

// The one handler for WM_SIZE: how the window was sized (SIZE_RESTORED,
// SIZE_MINIMIZED, SIZE_MAXIMIZED, ...) and its new client width and height.
template <class T>
struct SizeEntry {
    void (T::*handler)(UINT sizing, int width, int height);
};

// Whether a table is T's own, not one T inherits from a class it derives from
// (whose handlers belong to that class, and whose own dispatch looks them up): a
// class that dispatches through its own tables and its base's declares only the
// tables it fills.
template <class Table, class Entry>
inline constexpr bool isOwnTable =
    std::is_same_v<std::remove_cv_t<std::remove_extent_t<Table>>, Entry>;

// Looks a message up in T::kCommands (WM_COMMAND), T::kNotifies (WM_NOTIFY),
// T::kTimers (WM_TIMER), T::kSize (WM_SIZE), then T::kMessages.
template <class T>
bool dispatchThroughTables(T* self, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (message == WM_COMMAND) {
        if constexpr (isOwnTable<decltype(T::kCommands), CommandEntry<T>>) {
            for (const CommandEntry<T>* e = T::kCommands; e->handler; ++e)
                if (e->id == LOWORD(wParam) && e->code == HIWORD(wParam)) {
                    (self->*e->handler)();
                    result = TRUE;
                    return true;
                }
        }
    } else if (message == WM_NOTIFY) {
        if constexpr (isOwnTable<decltype(T::kNotifies), NotifyEntry<T>>) {
            const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
            for (const NotifyEntry<T>* e = T::kNotifies; e->handler; ++e)
                if (static_cast<UINT_PTR>(e->id) == header.idFrom && e->code == header.code) {
                    result = self->handledResult((self->*e->handler)(header));
                    return true;
                }
        }
    } else if (message == WM_TIMER) {
        if constexpr (isOwnTable<decltype(T::kTimers), TimerEntry<T>>) {
            for (const TimerEntry<T>* e = T::kTimers; e->handler; ++e)
                if (e->id == wParam) {
                    (self->*e->handler)();
                    result = self->handledResult(0);
                    return true;
                }
        }
    } else if (message == WM_SIZE) {
        if constexpr (isOwnTable<decltype(T::kSize), SizeEntry<T>>) {
            if (T::kSize.handler) {
                (self->*T::kSize.handler)(static_cast<UINT>(wParam), LOWORD(lParam),
                                          HIWORD(lParam));
                result = self->handledResult(0);
                return true;
            }
        }
    }
    if constexpr (isOwnTable<decltype(T::kMessages), MessageEntry<T>>) {
        for (const MessageEntry<T>* e = T::kMessages; e->handler; ++e)
            if (e->message == message) {
                result = (self->*e->handler)(wParam, lParam);
                return true;
            }
    }
    return false;
}

// A class T over `Base` whose messages go through T's static tables, and whose
// controls are bound to its members by T::kData. A class leaves out the tables
// it does not need.
template <class T, class Base>
class TableDispatch : public Base {
public:
    static constexpr CommandEntry<T> kCommands[1] = {{0, 0, nullptr}};
    static constexpr MessageEntry<T> kMessages[1] = {{0, nullptr}};
    static constexpr NotifyEntry<T> kNotifies[1] = {{0, 0, nullptr}};
    static constexpr TimerEntry<T> kTimers[1] = {{0, nullptr}};
    static constexpr SizeEntry<T> kSize = {nullptr};
    static constexpr DataEntry<T> kData[1] = {{0, DataKind::End}};

protected:
    using Base::Base;
    bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        return dispatchThroughTables(static_cast<T*>(this), message, wParam, lParam, result);
    }
    void loadData() override { fw::loadData(this->handle(), *static_cast<T*>(this), T::kData); }
    bool saveData() override {
        int failed = fw::saveData(this->handle(), *static_cast<T*>(this), T::kData);
        if (!failed)
            return true;
        SetFocus(this->item(failed));
        this->sendItem(failed, EM_SETSEL, 0, -1);
        return false;
    }
};

}  // namespace fw

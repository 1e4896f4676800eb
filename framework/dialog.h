// Dialogs over Win32 in the thin message-map style: one static procedure binds
// `this` (handed over in WM_INITDIALOG) and passes every message to the class's
// own tables; no exception ever escapes into Windows.
//
//   class AboutDialog : public fw::DialogImpl<AboutDialog> {
//   public:
//       static const fw::CommandEntry<AboutDialog> kCommands[];
//       static const fw::MessageEntry<AboutDialog> kMessages[];
//       ...
//   };
//   const fw::CommandEntry<AboutDialog> AboutDialog::kCommands[] = {
//       {IDOK, BN_CLICKED, &AboutDialog::onOk}, {0, 0, nullptr}};
#pragma once

#include <windows.h>

namespace fw {

class Dialog {
public:
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    // Runs the dialog until end(); returns the value given to end(), or -1 when
    // the dialog could not be made.
    INT_PTR runModal(HINSTANCE instance, int templateId, HWND owner);
    // Makes a modeless dialog, shown; null when it could not be made.
    HWND createModeless(HINSTANCE instance, int templateId, HWND owner);
    void end(INT_PTR result);

    HWND handle() const { return hwnd_; }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }

protected:
    // Called on WM_INITDIALOG; the return value is WM_INITDIALOG's (TRUE: default focus).
    virtual BOOL onInit() { return TRUE; }
    // A message for the class's tables: true when handled, with the procedure's result.
    virtual bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) = 0;

private:
    static INT_PTR CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    bool modeless_ = false;
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

// Looks a message up in T::kCommands (WM_COMMAND) and T::kMessages.
template <class T>
bool dispatchThroughTables(T* self, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (message == WM_COMMAND) {
        for (const CommandEntry<T>* e = T::kCommands; e->handler; ++e)
            if (e->id == LOWORD(wParam) && e->code == HIWORD(wParam)) {
                (self->*e->handler)();
                result = TRUE;
                return true;
            }
    }
    for (const MessageEntry<T>* e = T::kMessages; e->handler; ++e)
        if (e->message == message) {
            result = (self->*e->handler)(wParam, lParam);
            return true;
        }
    return false;
}

template <class T>
class DialogImpl : public Dialog {
protected:
    bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        return dispatchThroughTables(static_cast<T*>(this), message, wParam, lParam, result);
    }
};

}  // namespace fw

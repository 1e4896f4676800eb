// Dialogs over Win32 in the thin message-map style: one static procedure binds
// `this` (handed over in WM_INITDIALOG) and passes every message to the class's
// own tables; no exception ever escapes into Windows.
//
//   class AboutDialog : public fw::DialogImpl<AboutDialog> {
//   public:
//       static const fw::CommandEntry<AboutDialog> kCommands[];
//       ...
//   };
//   const fw::CommandEntry<AboutDialog> AboutDialog::kCommands[] = {
//       {IDOK, BN_CLICKED, &AboutDialog::onOk}, {0, 0, nullptr}};
//
// A class without commands or other messages leaves out that table.
#pragma once

#include "framework/window_base.h"

namespace fw {

class Dialog : public WindowBase {
public:
    ~Dialog() override;

    // Runs the dialog from the program's resources until end(); returns the value
    // given to end(), or -1 when the dialog could not be made.
    INT_PTR runModal(int templateId, HWND owner);
    // The same for the program's main window, a dialog without an owner: shown,
    // run and ended as runModal does it, but in the framework's own loop, so that
    // the modeless dialogs it opens get their keys while it runs.
    INT_PTR runAsMainWindow(int templateId);
    // Makes a modeless dialog, shown; null when it could not be made. While it
    // exists the framework's loops give it its keys (message_loop.h); end()
    // destroys it and leaves the loop running.
    HWND createModeless(int templateId, HWND owner);
    // The same from a dialog template in memory (DLGTEMPLATE or DLGTEMPLATEEX).
    HWND createModeless(const DLGTEMPLATE* dialogTemplate, HWND owner);
    // Ends the dialog: a modal one (or the main window) returns `result` from its
    // run; a modeless one is destroyed.
    void end(INT_PTR result);

    INT_PTR handledResult(LRESULT value) override {
        SetWindowLongPtrA(handle(), DWLP_MSGRESULT, value);
        return TRUE;
    }

protected:
    // Called on WM_INITDIALOG; the return value is WM_INITDIALOG's (TRUE: default focus).
    virtual BOOL onInit() { return TRUE; }
    // The dialog procedure's answer to one message, once the object is bound.
    INT_PTR answer(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

private:
    enum class Mode { Modal, MainWindow, Modeless };

    static INT_PTR CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND madeModeless(HWND hwnd);
    void runMainLoop();

    Mode mode_ = Mode::Modal;
    // The main window's end and result.
    bool ended_ = false;
    INT_PTR result_ = 0;
};

template <class T>
using DialogImpl = TableDispatch<T, Dialog>;

}  // namespace fw

// A standard control given behaviour of its own, in the same message-table style:
// attach() puts the framework's procedure in place of the control's, binds the
// object in GWLP_USERDATA (never a window property: under Wine each property
// look-up is a trip to the server, on every message), and what the tables do not
// handle goes on to the control's own procedure.
//
//   class NameList : public fw::ControlImpl<NameList> {
//   public:
//       static const fw::MessageEntry<NameList> kMessages[];
//   };
//
// A handler that wants the control's own answer as well asks callOriginal(); the
// messages arrive as the wide procedures get them.
#pragma once

#include "framework/window_base.h"

namespace fw {

class Control : public WindowBase {
public:
    ~Control() override;

    // False when the control is already bound to an object.
    bool attach(HWND control);

    // The object of class T bound to `control`, or null (another class, or none).
    template <class T>
    static T* of(HWND control) {
        return dynamic_cast<T*>(boundControl(control));
    }

protected:
    LRESULT callOriginal(UINT message, WPARAM wParam, LPARAM lParam) const {
        return CallWindowProcW(original_, handle(), message, wParam, lParam);
    }
    // Called once the control is destroyed and unbound: an object that owns
    // itself deletes itself here.
    virtual void onDetached() {}

private:
    static Control* boundControl(HWND control);
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void detach();

    WNDPROC original_ = nullptr;
};

template <class T>
using ControlImpl = TableDispatch<T, Control>;

}  // namespace fw

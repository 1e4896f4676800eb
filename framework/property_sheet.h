// Property sheets and their pages over Win32. A page is a dialog of its own with
// the same message tables; the sheet's notifications become member calls:
// onSetActive, onKillActive (false keeps the page), onApply (false refuses OK and
// brings the page to the front).
#pragma once

#include <windows.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "framework/dialog.h"

namespace fw {

class PropertyPage : public Dialog {
public:
    // The sheet around the page.
    HWND sheet() const { return GetParent(handle()); }
    // Whether the page was ever shown during this run of the sheet.
    bool visited() const { return visited_; }

    PROPSHEETPAGEA describe(int templateId);

protected:
    virtual void onSetActive() {}
    virtual bool onKillActive() { return true; }
    virtual bool onApply() { return true; }

private:
    // The sheet runs and ends its pages.
    using Dialog::createModeless;
    using Dialog::end;
    using Dialog::runAsMainWindow;
    using Dialog::runModal;

    static INT_PTR CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR onSheetNotify(const NMHDR& header);

    bool visited_ = false;
};

template <class T>
using PropertyPageImpl = TableDispatch<T, PropertyPage>;

// (Not "PropertySheet": Windows defines that name as a macro.)
class Sheet {
public:
    explicit Sheet(std::string caption) : caption_(std::move(caption)) {}

    // Pages show in the order they are added.
    void addPage(PropertyPage& page, int templateId);
    // Runs the sheet (OK and Cancel only); true when closed with OK.
    bool runModal(HWND owner);

private:
    std::string caption_;
    std::vector<std::pair<PropertyPage*, int>> pages_;
};

}  // namespace fw

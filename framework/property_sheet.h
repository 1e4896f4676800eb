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

class PropertyPage {
public:
    PropertyPage() = default;
    PropertyPage(const PropertyPage&) = delete;
    PropertyPage& operator=(const PropertyPage&) = delete;
    virtual ~PropertyPage() = default;

    HWND handle() const { return hwnd_; }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    // The sheet around the page.
    HWND sheet() const { return GetParent(hwnd_); }
    // Whether the page was ever shown during this run of the sheet.
    bool visited() const { return visited_; }

    PROPSHEETPAGEA describe(HINSTANCE instance, int templateId);

protected:
    virtual BOOL onInit() { return TRUE; }
    virtual void onSetActive() {}
    virtual bool onKillActive() { return true; }
    virtual bool onApply() { return true; }
    virtual bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) = 0;

private:
    static INT_PTR CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR onNotify(const NMHDR& header);

    HWND hwnd_ = nullptr;
    bool visited_ = false;
};

template <class T>
class PropertyPageImpl : public PropertyPage {
protected:
    bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        return dispatchThroughTables(static_cast<T*>(this), message, wParam, lParam, result);
    }
};

// (Not "PropertySheet": Windows defines that name as a macro.)
class Sheet {
public:
    explicit Sheet(std::string caption) : caption_(std::move(caption)) {}

    // Pages show in the order they are added.
    void addPage(PropertyPage& page, int templateId);
    // Runs the sheet (OK and Cancel only); true when closed with OK.
    bool runModal(HINSTANCE instance, HWND owner);

private:
    std::string caption_;
    std::vector<std::pair<PropertyPage*, int>> pages_;
};

}  // namespace fw

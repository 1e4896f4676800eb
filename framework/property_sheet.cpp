#include "framework/property_sheet.h"

namespace fw {

PROPSHEETPAGEA PropertyPage::describe(HINSTANCE instance, int templateId) {
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEA(templateId);
    page.pfnDlgProc = &PropertyPage::procedure;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

INT_PTR PropertyPage::onNotify(const NMHDR& header) {
    LONG_PTR answer = 0;
    switch (header.code) {
        case PSN_SETACTIVE:
            visited_ = true;
            onSetActive();
            break;
        case PSN_KILLACTIVE: answer = onKillActive() ? FALSE : TRUE; break;
        case PSN_APPLY: answer = onApply() ? PSNRET_NOERROR : PSNRET_INVALID; break;
        default: return FALSE;
    }
    SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, answer);
    return TRUE;
}

INT_PTR CALLBACK PropertyPage::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    PropertyPage* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<PropertyPage*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<PropertyPage*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;
    try {
        if (message == WM_INITDIALOG)
            return self->onInit();
        if (message == WM_NOTIFY &&
            reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == GetParent(hwnd))
            return self->onNotify(*reinterpret_cast<const NMHDR*>(lParam));
        INT_PTR result = FALSE;
        return self->dispatch(message, wParam, lParam, result) ? result : FALSE;
    } catch (...) {
        return FALSE;  // nothing may unwind through Windows' own frames
    }
}

void Sheet::addPage(PropertyPage& page, int templateId) {
    pages_.emplace_back(&page, templateId);
}

bool Sheet::runModal(HINSTANCE instance, HWND owner) {
    std::vector<PROPSHEETPAGEA> pages;
    for (auto& [page, templateId] : pages_)
        pages.push_back(page->describe(instance, templateId));
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.hwndParent = owner;
    header.hInstance = instance;
    header.pszCaption = caption_.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = 0;
    header.ppsp = pages.data();
    return PropertySheetA(&header) > 0;
}

}  // namespace fw

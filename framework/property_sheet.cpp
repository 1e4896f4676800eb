#include "framework/property_sheet.h"

namespace fw {

PROPSHEETPAGEA PropertyPage::describe(int templateId) {
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.hInstance = resourceInstance();
    page.pszTemplate = MAKEINTRESOURCEA(templateId);
    page.pfnDlgProc = &PropertyPage::procedure;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

INT_PTR PropertyPage::onSheetNotify(const NMHDR& header) {
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
    SetWindowLongPtrA(handle(), DWLP_MSGRESULT, answer);
    return TRUE;
}

INT_PTR CALLBACK PropertyPage::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    PropertyPage* arriving = nullptr;
    if (message == WM_INITDIALOG)
        arriving =
            reinterpret_cast<PropertyPage*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
    auto* self = static_cast<PropertyPage*>(bound(hwnd, DWLP_USER, arriving));
    if (!self)
        return FALSE;
    if (message == WM_NOTIFY &&
        reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == GetParent(hwnd)) {
        try {
            return self->onSheetNotify(*reinterpret_cast<const NMHDR*>(lParam));
        } catch (...) {
            return FALSE;  // nothing may unwind through Windows' own frames
        }
    }
    return self->answer(message, wParam, lParam);
}

void Sheet::addPage(PropertyPage& page, int templateId) {
    pages_.emplace_back(&page, templateId);
}

bool Sheet::runModal(HWND owner) {
    std::vector<PROPSHEETPAGEA> pages;
    for (auto& [page, templateId] : pages_)
        pages.push_back(page->describe(templateId));
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.hwndParent = owner;
    header.hInstance = resourceInstance();
    header.pszCaption = caption_.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = 0;
    header.ppsp = pages.data();
    return PropertySheetA(&header) > 0;
}

}  // namespace fw

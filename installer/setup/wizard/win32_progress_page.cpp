#include "installer/setup/wizard/win32_progress_page.h"

#include <commctrl.h>

#include "installer/package/language_entries.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/resource.h"
#include "installer/setup/setup_rules.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

const fw::CommandEntry<ProgressPage> ProgressPage::kCommands[] = {
    {IDCANCEL, BN_CLICKED, &ProgressPage::onCancel},
    {0, 0, nullptr},
};

const fw::MessageEntry<ProgressPage> ProgressPage::kMessages[] = {
    {WM_ERASEBKGND, &ProgressPage::onErase},
    {WM_PAINT, &ProgressPage::onPaint},
    {WM_CTLCOLORSTATIC, &ProgressPage::onControlColour},
    {WM_CTLCOLORDLG, &ProgressPage::onControlColour},
    {0, nullptr},
};

bool ProgressPage::registerClass(HINSTANCE instance) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, kClassName, &existing))
        return true;
    WNDCLASSEXA cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = DefDlgProcA;
    cls.cbWndExtra = DLGWINDOWEXTRA;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = kClassName;
    return RegisterClassExA(&cls) != 0;
}

bool ProgressPage::show(HINSTANCE instance, HWND parent, const LanguageSet& texts,
                        const PageArt* art, const std::string* ownTemplate) {
    texts_ = &texts;
    art_ = art;
    if (!createPage(*this, instance, parent, IDD_PROGRESS_PAGE, ownTemplate, art, kProgressStage))
        return false;
    placePage(parent, handle());
    return true;
}

INT_PTR ProgressPage::onPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle(), &paint);
    if (art_)
        art_->paint(handle(), dc, kProgressStage);
    EndPaint(handle(), &paint);
    return TRUE;
}

BOOL ProgressPage::onInit() {
    // Back, Cancel and Next from the language set; Next reads "Next" (no page follows
    // that the user could still change).
    setItemText(IDC_HEADING, entry(texts_->lines, LanguageEntry::InstallingHeading));
    setItemText(IDC_PROMPT, entry(texts_->lines, LanguageEntry::InstallingText));
    setItemText(IDC_BACK, entry(texts_->lines, LanguageEntry::Back));
    setItemText(IDCANCEL, entry(texts_->lines, LanguageEntry::Cancel));
    setItemText(IDOK, entry(texts_->lines, LanguageEntry::Next));
    for (int id : {IDC_BACK, IDOK, IDCANCEL})
        enableItem(id, false);
    setItemText(IDC_PROMPT, entry(texts_->lines, LanguageEntry::InstallingText));
    sendItem(IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    return FALSE;
}

void ProgressPage::setStatus(const std::string& text) {
    setItemText(IDC_STATUS, text);
}

void ProgressPage::setProgress(int percent) {
    sendItem(IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(percent));
}

}  // namespace vortix

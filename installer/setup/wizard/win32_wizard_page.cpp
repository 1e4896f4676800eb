#include "installer/setup/wizard/win32_wizard_page.h"

#include "framework/message_loop.h"
#include "installer/setup/resource.h"
#include "installer/setup/setup_rules.h"
#include "installer/setup/wizard/win32_progress_page.h"
#include "installer/setup/wizard/wizard_texts.h"

namespace vortix {

const fw::CommandEntry<WizardPage> WizardPage::kCommands[] = {
    {IDOK, BN_CLICKED, &WizardPage::pressNext},
    {IDC_BACK, BN_CLICKED, &WizardPage::onBack},
    {IDCANCEL, BN_CLICKED, &WizardPage::onCancel},
    {0, 0, nullptr},
};

const fw::MessageEntry<WizardPage> WizardPage::kMessages[] = {
    {WM_ERASEBKGND, &WizardPage::onErase},
    {WM_PAINT, &WizardPage::onPaint},
    {WM_CTLCOLORSTATIC, &WizardPage::onControlColour},
    {WM_CTLCOLORDLG, &WizardPage::onControlColour},
    {0, nullptr},
};

void placePage(HWND parent, HWND page) {
    RECT client, bounds;
    GetClientRect(parent, &client);
    GetWindowRect(page, &bounds);
    int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    // The window without a background is just the page's size; the others only
    // grow when the page would not fit.
    bool fitted = !IsZoomed(parent) && (GetWindowLongPtrA(parent, GWL_STYLE) & WS_CAPTION);
    if (fitted ? client.right != width || client.bottom != height
               : client.right < width || client.bottom < height) {
        RECT frame{0, 0, width, height};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(parent, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrA(parent, GWL_EXSTYLE)));
        int frameWidth = frame.right - frame.left, frameHeight = frame.bottom - frame.top;
        SetWindowPos(parent, nullptr, (GetSystemMetrics(SM_CXSCREEN) - frameWidth) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - frameHeight) / 2, frameWidth, frameHeight,
                     SWP_NOZORDER);
        GetClientRect(parent, &client);
    }
    int x = client.right > width ? (client.right - width) / 2 : 0;
    int y = client.bottom > height ? (client.bottom - height) / 2 : 0;
    // The page was drawn where it was made: it is drawn again, whole, where it
    // now stands, rather than its old pixels copied over (parts of which were
    // never on the screen).
    SetWindowPos(page, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOCOPYBITS);
    RedrawWindow(page, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool createPage(fw::Dialog& page, HINSTANCE instance, HWND parent, int templateId,
                const std::string* ownTemplate, const PageArt* art, int stage) {
    if (!ProgressPage::registerClass(instance))
        return false;
    if (ownTemplate) {
        // An own template that could not be made ready is empty.
        if (ownTemplate->empty() ||
            !page.createModeless(reinterpret_cast<const DLGTEMPLATE*>(ownTemplate->data()), parent))
            return false;
    } else if (!page.createModeless(templateId, parent)) {
        return false;
    }
    if (art)
        art->makeRoom(page.handle(), stage);
    return true;
}

INT_PTR WizardPage::onPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle(), &paint);
    if (art_)
        art_->paint(handle(), dc, stage_);
    EndPaint(handle(), &paint);
    return TRUE;
}

bool WizardPage::show(HINSTANCE instance, HWND parent, int templateId, const Texts& texts,
                      bool canGoBack) {
    if (!handle() && !createPage(*this, instance, parent, templateId, ownTemplate_, art_, stage_))
        return false;
    setItemText(IDC_HEADING, texts.heading);
    setItemText(IDC_PROMPT, texts.prompt);
    setItemText(IDC_QUESTION, texts.question);
    askBeforeCancel_ = texts.askBeforeCancel;
    setItemText(IDC_BACK, texts.back);
    setItemText(IDOK, texts.next);
    setItemText(IDCANCEL, texts.cancel);
    enableItem(IDC_BACK, canGoBack);
    choice_ = PageChoice::None;
    placePage(parent, handle());
    SetFocus(item(IDOK));
    return true;
}

std::string_view WizardPage::notMadeText() const {
    return kLoadTemplateFailedText;
}

std::string WizardPage::typedText(int id) const {
    return withoutOuterSpaces(itemText(id));
}

void WizardPage::pressNext() {
    if (onNext())
        choose(PageChoice::Next);
}

void WizardPage::onBack() {
    // A disabled Back can still be reached by a posted click.
    if (IsWindowEnabled(item(IDC_BACK)))
        choose(PageChoice::Back);
}

void WizardPage::choose(PageChoice choice) {
    // The wait ends on it; a page that is not waiting (a click that reached it
    // after it was left) keeps the choice until it shows again.
    choice_ = choice;
}

void WizardPage::hide() {
    if (handle())
        ShowWindow(handle(), SW_HIDE);
}

PageChoice WizardPage::waitForChoice(SetupMessages& messages, const std::string& quitQuestion) {
    for (;;) {
        // The page is a child of the main window, not a modeless dialog of its
        // own: it takes the keys typed into it only while it waits. A WM_QUIT from
        // elsewhere cancels (the loop posts it again for the loop outside).
        fw::addModelessDialog(handle());
        bool chosen = fw::runMessageLoopUntil([this] { return choice_ != PageChoice::None; });
        fw::removeModelessDialog(handle());
        if (!chosen)
            return PageChoice::Cancel;
        if (choice_ != PageChoice::Cancel || !askBeforeCancel_)
            return choice_;
        // The page waits, disabled, while the question is open.
        EnableWindow(handle(), FALSE);
        int answer = messages.show(quitQuestion, Buttons::YesNo, MB_ICONQUESTION);
        EnableWindow(handle(), TRUE);
        SetForegroundWindow(GetParent(handle()));
        BringWindowToTop(handle());
        if (answer == kAnswerYes)
            return PageChoice::Cancel;
        choice_ = PageChoice::None;
    }
}

}  // namespace vortix

#include "installer/setup/wizard/win32_wizard_page.h"

#include <richedit.h>

#include <cstring>

#include "installer/common/win32_system_libraries.h"
#include "installer/setup/resource.h"
#include "installer/setup/wizard/win32_progress_page.h"

namespace vortix {

const fw::CommandEntry<WizardPage> WizardPage::kCommands[] = {
    {IDOK, BN_CLICKED, &WizardPage::onNext},
    {IDC_BACK, BN_CLICKED, &WizardPage::onBack},
    {IDCANCEL, BN_CLICKED, &WizardPage::onCancel},
    {IDC_BROWSE, BN_CLICKED, &WizardPage::onBrowse},
    {IDC_FOLDER, EN_CHANGE, &WizardPage::onFieldChanged},
    {IDC_USER_NAME, EN_CHANGE, &WizardPage::onFieldChanged},
    {IDC_USER_COMPANY, EN_CHANGE, &WizardPage::onFieldChanged},
    {IDC_EXISTING_FOLDERS, LBN_SELCHANGE, &WizardPage::onFolderPicked},
    {IDC_LANGUAGE_LIST, LBN_DBLCLK, &WizardPage::onNext},
    {0, 0, nullptr},
};

const fw::MessageEntry<WizardPage> WizardPage::kMessages[] = {
    {WM_ERASEBKGND, &WizardPage::onErase},
    {WM_PAINT, &WizardPage::onPaint},
    {WM_CTLCOLORSTATIC, &WizardPage::onControlColour},
    {WM_CTLCOLORDLG, &WizardPage::onControlColour},
    {0, nullptr},
};

namespace {

// The rich-edit control's class: the version-2 library, else the older one, else a
// plain multi-line edit control.
struct RichEditKind {
    const char* className = "EDIT";
    bool richText = false;
    bool richEdit = false;
};

const RichEditKind& richEditKind() {
    static const RichEditKind kind = [] {
        RichEditKind found;
        if (loadSystemLibrary("riched20.dll")) {
            found = {RICHEDIT_CLASSA, true, true};
        } else if (loadSystemLibrary("riched32.dll")) {
            found = {"RICHEDIT", false, true};
        }
        return found;
    }();
    return kind;
}

struct StreamedText {
    const std::string* text;
    std::size_t done;
};

DWORD CALLBACK streamOut(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) {
    auto* from = reinterpret_cast<StreamedText*>(cookie);
    std::size_t left = from->text->size() - from->done;
    std::size_t count =
        left < static_cast<std::size_t>(size) ? left : static_cast<std::size_t>(size);
    std::memcpy(buffer, from->text->data() + from->done, count);
    from->done += count;
    *written = static_cast<LONG>(count);
    return 0;
}

}  // namespace

bool richEditShowsRichText() {
    return richEditKind().richText;
}

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

void WizardPage::onNext() {
    if (!validate || validate())
        choice_ = PageChoice::Next;
}

void WizardPage::onBrowse() {
    control(IDC_BROWSE);
}

void WizardPage::onFolderPicked() {
    control(IDC_EXISTING_FOLDERS);
}

void WizardPage::onBack() {
    // A disabled Back can still be reached by a posted click.
    if (IsWindowEnabled(item(IDC_BACK)))
        choice_ = PageChoice::Back;
}

void WizardPage::setDocument(const std::string& text, bool rich) {
    HWND frame = item(IDC_DOCUMENT);
    if (!frame)
        return;
    const RichEditKind& kind = richEditKind();
    char className[64] = "";
    GetClassNameA(frame, className, sizeof className);
    if (lstrcmpiA(className, kind.className) != 0) {
        RECT place;
        GetWindowRect(frame, &place);
        MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&place), 2);
        DestroyWindow(frame);
        frame = CreateWindowExA(
            WS_EX_CLIENTEDGE, kind.className, "",
            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
                ES_AUTOVSCROLL,
            place.left, place.top, place.right - place.left, place.bottom - place.top, handle(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_DOCUMENT)), nullptr, nullptr);
        if (!frame)
            return;
        SendMessageA(frame, WM_SETFONT, SendMessageA(handle(), WM_GETFONT, 0, 0), FALSE);
    }
    if (!kind.richEdit) {
        SetWindowTextA(frame, text.c_str());
        return;
    }
    bool rtf = rich && kind.richText && text.compare(0, 5, "{\\rtf") == 0;
    StreamedText from{&text, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&from);
    stream.pfnCallback = streamOut;
    SendMessageA(frame, EM_STREAMIN, rtf ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}

void WizardPage::hide() {
    if (handle())
        ShowWindow(handle(), SW_HIDE);
}

PageChoice WizardPage::waitForChoice(SetupMessages& messages, const std::string& quitQuestion) {
    for (;;) {
        MSG message;
        while (choice_ == PageChoice::None) {
            BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got <= 0) {
                PostQuitMessage(got == 0 ? static_cast<int>(message.wParam) : 0);
                return PageChoice::Cancel;
            }
            if (!IsDialogMessageA(handle(), &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
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

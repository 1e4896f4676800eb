#include "installer/setup/win32_wizard_page.h"

#include "installer/setup/resource.h"
#include "installer/setup/win32_progress_page.h"

namespace vortix {

const fw::CommandEntry<WizardPage> WizardPage::kCommands[] = {
    {IDOK, BN_CLICKED, &WizardPage::onNext},
    {IDC_BACK, BN_CLICKED, &WizardPage::onBack},
    {IDCANCEL, BN_CLICKED, &WizardPage::onCancel},
    {0, 0, nullptr},
};

void placePage(HWND parent, HWND page) {
    RECT client, bounds;
    GetClientRect(parent, &client);
    GetWindowRect(page, &bounds);
    int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    if (client.right < width || client.bottom < height) {
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
    SetWindowPos(page, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateWindow(page);
}

bool WizardPage::show(HINSTANCE instance, HWND parent, int templateId, const Texts& texts,
                      bool canGoBack) {
    if (!handle() &&
        (!ProgressPage::registerClass(instance) || !createModeless(templateId, parent)))
        return false;
    setItemText(IDC_HEADING, texts.heading);
    setItemText(IDC_PROMPT, texts.prompt);
    setItemText(IDC_BACK, texts.back);
    setItemText(IDOK, texts.next);
    setItemText(IDCANCEL, texts.cancel);
    enableItem(IDC_BACK, canGoBack);
    choice_ = PageChoice::None;
    placePage(parent, handle());
    SetFocus(item(IDOK));
    return true;
}

void WizardPage::onBack() {
    // A disabled Back can still be reached by a posted click.
    if (IsWindowEnabled(item(IDC_BACK)))
        choice_ = PageChoice::Back;
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
        if (choice_ != PageChoice::Cancel)
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

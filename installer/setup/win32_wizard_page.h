// A wizard page: a child dialog of the main window (window class
// "VIDialogTemplate") with Back, Next and Cancel, shown until the user picks one.
// Cancel asks the quit question first; answered No, the page stays as it was.
#pragma once

#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "installer/setup/win32_messages.h"

namespace vortix {

enum class PageChoice { None, Next, Back, Cancel };

// Centres a page in the main window; a main window smaller than the page (the
// one without a background) grows to hold it, staying in the middle of the screen.
void placePage(HWND parent, HWND page);

class WizardPage : public fw::DialogImpl<WizardPage> {
public:
    static const fw::CommandEntry<WizardPage> kCommands[];

    struct Texts {
        std::string heading, prompt;
        std::string back, next, cancel;
    };

    // Makes the page from `templateId` the first time, shows it again later (with
    // what the user entered kept), its texts and Back enabled as given.
    bool show(HINSTANCE instance, HWND parent, int templateId, const Texts& texts, bool canGoBack);
    void hide();

    // Runs the program's messages until Next, Back or a confirmed Cancel. A
    // WM_QUIT counts as Cancel (it is posted again for the loop outside).
    PageChoice waitForChoice(SetupMessages& messages, const std::string& quitQuestion);

private:
    void onNext() { choice_ = PageChoice::Next; }
    void onBack();
    void onCancel() { choice_ = PageChoice::Cancel; }

    PageChoice choice_ = PageChoice::None;
};

}  // namespace vortix

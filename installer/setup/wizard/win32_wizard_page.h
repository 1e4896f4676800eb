// A wizard page: a child dialog of the main window (window class
// "VIDialogTemplate") with Back, Next and Cancel, shown until the user picks one.
// Cancel asks the quit question first; answered No, the page stays as it was.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/dialog.h"
#include "installer/setup/win32_messages.h"
#include "installer/setup/wizard/win32_page_art.h"

namespace vortix {

enum class PageChoice { None, Next, Back, Cancel };

// Centres a page in the main window. The window without a background (a captioned
// window that is not maximised) takes just the page's size, in the middle of the
// screen; another grows to hold a page larger than it.
void placePage(HWND parent, HWND page);

class WizardPage : public fw::DialogImpl<WizardPage> {
public:
    static const fw::CommandEntry<WizardPage> kCommands[];
    static const fw::MessageEntry<WizardPage> kMessages[];

    struct Texts {
        std::string heading, prompt, question;
        std::string back, next, cancel;
        // Cancel asks the quit question first; declining the licence does not.
        bool askBeforeCancel = true;
    };

    // The page of `stage`: drawn with `art` (when given), and made from
    // `ownTemplate` (the package's, when given) instead of the built-in template.
    // Set before the first show().
    void setLook(const PageArt* art, int stage, const std::string* ownTemplate) {
        art_ = art;
        stage_ = stage;
        ownTemplate_ = ownTemplate;
    }

    // Makes the page from `templateId` the first time, shows it again later (with
    // what the user entered kept), its texts and Back enabled as given.
    bool show(HINSTANCE instance, HWND parent, int templateId, const Texts& texts, bool canGoBack);
    void hide();

    // Fills the page's document control (a rich-edit control made in place of the
    // template's frame): as rich text when `rich` and the control can show it, as
    // plain text otherwise.
    void setDocument(const std::string& text, bool rich);

    // What the page's own controls do: called with the Browse button's id when it
    // is pressed, with the list's id when a folder is picked from the existing
    // ones, with 0 when one of the page's fields changes.
    std::function<void(int control)> onControl;
    // Checked when Next is pressed: false keeps the page (it said why).
    std::function<bool()> validate;

    // Runs the program's messages until Next, Back or a confirmed Cancel. A
    // WM_QUIT counts as Cancel (it is posted again for the loop outside).
    PageChoice waitForChoice(SetupMessages& messages, const std::string& quitQuestion);

private:
    void onNext();
    void onBrowse();
    void onFieldChanged() { control(0); }
    void onFolderPicked();
    void control(int id) {
        if (onControl)
            onControl(id);
    }
    void onBack();
    void onCancel() { choice_ = PageChoice::Cancel; }
    INT_PTR onErase(WPARAM dc, LPARAM) { return paintPageFace(handle(), dc); }
    INT_PTR onPaint(WPARAM, LPARAM);
    INT_PTR onControlColour(WPARAM dc, LPARAM) { return pageFaceColour(dc); }

    PageChoice choice_ = PageChoice::None;
    bool askBeforeCancel_ = true;
    const PageArt* art_ = nullptr;
    int stage_ = 0;
    const std::string* ownTemplate_ = nullptr;
};

// Makes `page` from the package's own template when there is one (an empty one
// fails), else from the built-in `templateId`; then makes room for its art.
bool createPage(fw::Dialog& page, HINSTANCE instance, HWND parent, int templateId,
                const std::string* ownTemplate, const PageArt* art, int stage);

// Whether the version-2 rich-edit library could be loaded (it is tried first,
// then the older one).
bool richEditShowsRichText();

}  // namespace vortix

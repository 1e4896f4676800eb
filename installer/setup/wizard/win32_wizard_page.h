// A wizard page: a child dialog of the main window (window class
// "VIDialogTemplate") with Back, Next and Cancel, shown until the user picks one.
// Cancel asks the quit question first; answered No, the page stays as it was.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "framework/dialog.h"
#include "installer/setup/win32_messages.h"
#include "installer/setup/wizard/win32_page_art.h"

namespace vortix {

enum class PageChoice { None, Next, Back, Cancel };

// Centres a page in the main window. The window without a background (a captioned
// window that is not maximised) takes just the page's size, in the middle of the
// screen; another grows to hold a page larger than it.
void placePage(HWND parent, HWND page);

// The base of every page: the buttons every page has (Back, Next, Cancel), its
// heading, prompt and question, its look, and the wait for the user's choice. A
// page's own controls are its class's: a page class derives from WizardPageImpl,
// whose tables come before these.
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

    // Whether the page can show: false when what it shows cannot be read (it
    // said why).
    virtual bool ready() { return true; }
    // The page's texts: the standard ones of its stage (the language set's heading
    // and prompt, Back, Next or Install, Cancel) as this page has them.
    virtual Texts texts(Texts standard) const { return standard; }
    // What is shown when the page cannot be made.
    virtual std::string_view notMadeText() const;
    // Makes the page from `templateId` the first time, shows it again later (with
    // what the user entered kept), its texts and Back enabled as given.
    bool show(HINSTANCE instance, HWND parent, int templateId, const Texts& texts, bool canGoBack);
    // Fills the page's own controls once it shows, `fresh` the first time: false
    // when the page cannot be used (it said why).
    virtual bool fill(bool /*fresh*/) { return true; }
    void hide();

    // Runs the program's messages until Next, Back or a confirmed Cancel. A
    // WM_QUIT from elsewhere counts as Cancel (it is posted again for the loop
    // outside).
    PageChoice waitForChoice(SetupMessages& messages, const std::string& quitQuestion);

protected:
    // The checks when Next is pressed: false keeps the page (it said why).
    virtual bool onNext() { return true; }
    // Next pressed, or what a page takes for it (a double click in its list).
    void pressNext();
    // Shows or hides a control of the page.
    void showItem(int id, bool shown) const { ShowWindow(item(id), shown ? SW_SHOW : SW_HIDE); }
    // What the user typed in a field, without the spaces around it.
    std::string typedText(int id) const;

private:
    void choose(PageChoice choice);
    void onBack();
    void onCancel() { choose(PageChoice::Cancel); }
    INT_PTR onErase(WPARAM dc, LPARAM) { return paintPageFace(handle(), dc); }
    INT_PTR onPaint(WPARAM, LPARAM);
    INT_PTR onControlColour(WPARAM dc, LPARAM) { return pageFaceColour(dc); }

    PageChoice choice_ = PageChoice::None;
    bool askBeforeCancel_ = true;
    const PageArt* art_ = nullptr;
    int stage_ = 0;
    const std::string* ownTemplate_ = nullptr;
};

// A page class T: its own tables (T::kCommands, T::kMessages; a class without
// commands or other messages leaves that table out) first, then the buttons every
// page has.
template <class T>
class WizardPageImpl : public fw::TableDispatch<T, WizardPage> {
protected:
    bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        return fw::TableDispatch<T, WizardPage>::dispatch(message, wParam, lParam, result) ||
               WizardPage::dispatch(message, wParam, lParam, result);
    }
};

// Makes `page` from the package's own template when there is one (an empty one
// fails), else from the built-in `templateId`; then makes room for its art.
bool createPage(fw::Dialog& page, HINSTANCE instance, HWND parent, int templateId,
                const std::string* ownTemplate, const PageArt* art, int stage);

}  // namespace vortix

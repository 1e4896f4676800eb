// The built-in progress page: a child dialog of the main window (window class
// "VIDialogTemplate") with the prompt, the status line and the progress bar.
#pragma once

#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "installer/package/package.h"
#include "installer/setup/actions/win32_install_host.h"
#include "installer/setup/wizard/win32_page_art.h"
#include "installer/setup/wizard/wizard_stages.h"

namespace vortix {

class ProgressPage : public fw::DialogImpl<ProgressPage>, public ProgressView {
public:
    static const fw::CommandEntry<ProgressPage> kCommands[];
    static const fw::MessageEntry<ProgressPage> kMessages[];
    static constexpr const char* kClassName = "VIDialogTemplate";

    // Registers the page class (a dialog class) once.
    static bool registerClass(HINSTANCE instance);

    // Shows the page inside `parent`, its buttons labelled from the language set:
    // made from `ownTemplate` when the package has one for the progress stage,
    // drawn with `art` when given.
    bool show(HINSTANCE instance, HWND parent, const LanguageSet& texts,
              const PageArt* art = nullptr, const std::string* ownTemplate = nullptr);

    void setStatus(const std::string& text) override;
    void setProgress(int percent) override;

private:
    BOOL onInit() override;
    void onCancel() {}  // nothing to cancel while files are being copied
    INT_PTR onErase(WPARAM dc, LPARAM) { return paintPageFace(handle(), dc); }
    INT_PTR onPaint(WPARAM, LPARAM);
    INT_PTR onControlColour(WPARAM dc, LPARAM) { return pageFaceColour(dc); }

    const LanguageSet* texts_ = nullptr;
    const PageArt* art_ = nullptr;
};

}  // namespace vortix

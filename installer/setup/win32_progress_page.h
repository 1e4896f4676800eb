// The built-in progress page: a child dialog of the main window (window class
// "VIDialogTemplate") with the prompt, the status line and the progress bar.
#pragma once

#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "installer/package/package.h"
#include "installer/setup/win32_install_host.h"

namespace vortix {

class ProgressPage : public fw::DialogImpl<ProgressPage>, public ProgressView {
public:
    static const fw::CommandEntry<ProgressPage> kCommands[];
    static constexpr const char* kClassName = "VIDialogTemplate";

    // Registers the page class (a dialog class) once.
    static bool registerClass(HINSTANCE instance);

    // Shows the page inside `parent`, its buttons labelled from the language set.
    bool show(HINSTANCE instance, HWND parent, const LanguageSet& texts);

    void setStatus(const std::string& text) override;
    void setProgress(int percent) override;

private:
    BOOL onInit() override;
    void onCancel() {}  // nothing to cancel while files are being copied

    const LanguageSet* texts_ = nullptr;
};

}  // namespace vortix

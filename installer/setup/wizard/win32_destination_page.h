// The destination page (stage 7): the folder the program is installed in, typed
// or browsed for, with the space the installation needs against what the
// folder's drive has free. Next wants a full local path on a drive with room
// enough, and keeps it in "<InstallDir>".
#pragma once

#include "installer/setup/wizard/win32_page_context.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

class DestinationPage : public WizardPageImpl<DestinationPage> {
public:
    static const fw::CommandEntry<DestinationPage> kCommands[];

    explicit DestinationPage(PageContext& run) : run_(run) {}

    bool fill(bool fresh) override;

private:
    bool onNext() override;
    void onBrowse();
    void showSpace();
    // Says why the folder cannot be taken: false, the page stays.
    bool refuse(LanguageEntry why);

    PageContext& run_;
};

}  // namespace vortix

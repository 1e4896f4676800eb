// The finish page (stage 13), once the installation is complete: the restart
// question when one is needed (now or later; only now when the package insists),
// and the two items that may be opened after the installation. Nothing is left to
// cancel: Cancel is disabled, and closing the window finishes as the page stands.
#pragma once

#include <array>

#include "installer/setup/wizard/win32_page_context.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

// What happens once the installation is complete: a restart, or the
// after-installation items opened.
struct FinishChoices {
    bool restart = false;
    std::array<bool, 2> open{};
};

class FinishPage : public WizardPageImpl<FinishPage> {
public:
    FinishPage(const PageContext& run, bool restartNeeded)
        : run_(run), restartNeeded_(restartNeeded) {}

    // The complete heading and the package's finish text, Finish for Next.
    Texts texts(Texts standard) const override;
    bool fill(bool fresh) override;
    // What the page shows chosen now.
    FinishChoices chosen() const;

private:
    const PageContext& run_;
    bool restartNeeded_;
};

}  // namespace vortix

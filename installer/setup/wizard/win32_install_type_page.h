// The installation type page: three option buttons with the package's captions
// and descriptions. Next keeps the chosen type; coming back shows it selected.
// The custom type brings the components page, so choosing it turns "Install"
// into "Next" when no other page would follow.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "installer/package/package.h"
#include "installer/setup/wizard/win32_page_context.h"
#include "installer/setup/wizard/win32_wizard_page.h"
#include "installer/setup/wizard/wizard_stages.h"

namespace vortix {

class InstallTypePage : public WizardPageImpl<InstallTypePage> {
public:
    static const fw::CommandEntry<InstallTypePage> kCommands[];

    explicit InstallTypePage(PageContext& run) : run_(run) {}

    // Fills the buttons in the current language and selects the type chosen
    // before, which Next sets to the type the user picked.
    bool fill(bool fresh) override;
    // The type of the button selected now.
    std::uint32_t selectedType() const;

private:
    bool onNext() override;
    void onFirstClicked() { choose(0); }
    void onSecondClicked() { choose(1); }
    void onThirdClicked() { choose(2); }
    void choose(std::size_t button);
    // The Next button's caption follows the type selected.
    void typeChanged();

    PageContext& run_;
    // The run's page set, whose custom type this page's buttons switch for the
    // Next button's caption.
    PageSet pages_{0};
};

}  // namespace vortix

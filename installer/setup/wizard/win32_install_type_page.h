// The installation type page: three option buttons with the package's captions
// and descriptions. Next keeps the chosen type; coming back shows it selected.
// The custom type brings the components page, so choosing it turns "Install"
// into "Next" when no other page would follow.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "installer/package/package.h"
#include "installer/setup/wizard/win32_wizard_page.h"
#include "installer/setup/wizard/wizard_stages.h"

namespace vortix {

class InstallTypePage : public WizardPage {
public:
    static const fw::CommandEntry<InstallTypePage> kCommands[];
    static const fw::MessageEntry<InstallTypePage> kMessages[];

    // Fills the buttons in the language of `language` and selects `chosen`, which
    // Next sets to the type the user picked. `pages` is the run's page set, whose
    // custom type this page's buttons switch for the Next button's caption.
    void fill(const PackageSettings& settings, const LanguageSet& language, PageSet pages,
              std::uint32_t& chosen);
    // The type of the button selected now.
    std::uint32_t selectedType() const;

protected:
    bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void onTypeClicked();

    PageSet pages_{0};
    const std::vector<std::string>* lines_ = nullptr;
};

}  // namespace vortix

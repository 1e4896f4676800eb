// The summary page (stage 11): the choices made on the pages before it, shown
// each time the page shows.
#pragma once

#include <string>

#include "installer/setup/wizard/win32_page_context.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

class SummaryPage : public WizardPageImpl<SummaryPage> {
public:
    explicit SummaryPage(const PageContext& run) : run_(run) {}

    bool fill(bool fresh) override;

private:
    // The installation type and components, the space, the destination and the
    // program folder, under the package's labels.
    std::string summary() const;

    const PageContext& run_;
};

}  // namespace vortix

// The welcome page (stage 2): the language set's welcome, with the product's
// name in its prompt.
#pragma once

#include "installer/setup/wizard/win32_page_context.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

class WelcomePage : public WizardPageImpl<WelcomePage> {
public:
    explicit WelcomePage(const PageContext& run) : run_(run) {}

    Texts texts(Texts standard) const override;

private:
    const PageContext& run_;
};

}  // namespace vortix

#include "installer/setup/wizard/win32_welcome_page.h"

#include "installer/setup/actions/install_text.h"

namespace vortix {

WizardPage::Texts WelcomePage::texts(Texts standard) const {
    standard.prompt = formatText(standard.prompt, {run_.settings().productName});
    return standard;
}

}  // namespace vortix

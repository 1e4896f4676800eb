// The user information page (stage 6): the user's name and company, each shown
// when the package asks for it. The fields start with the earlier entries, else
// the logged-on user and the registered company; Next stays disabled while a
// required field is empty, and keeps what is shown in "<UserName>" and
// "<Company>".
#pragma once

#include <string>

#include "installer/setup/wizard/win32_page_context.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

class UserPage : public WizardPageImpl<UserPage> {
public:
    static const fw::CommandEntry<UserPage> kCommands[];

    explicit UserPage(PageContext& run);

    bool fill(bool fresh) override;

private:
    bool onNext() override;
    void onFieldChanged();
    // Every required field filled in.
    bool complete() const;

    PageContext& run_;
    bool nameRequired_, companyRequired_;
    bool nameShown_, companyShown_;
};

}  // namespace vortix

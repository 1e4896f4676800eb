// The system information page: the machine against the package's requirements,
// one row a requirement in a list box whose tab stops fit the four columns; Save
// writes the table to a text file on drive C. When requirements are not met,
// Next asks whether to install anyway, and No keeps the page.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "installer/setup/probe/system_information.h"
#include "installer/setup/wizard/win32_page_context.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

class SystemInformationPage : public WizardPageImpl<SystemInformationPage> {
public:
    static const fw::CommandEntry<SystemInformationPage> kCommands[];

    explicit SystemInformationPage(PageContext& run) : run_(run) {}

    // The table the first time (the machine probed when no page did before), and
    // the Save button's caption; then, each time the page shows, the plug-in's
    // hook, which may add to the page.
    bool fill(bool fresh) override;

private:
    // Shows `table`.
    void showTable(SystemInformationTable table);
    // Unmet requirements ask whether to install anyway.
    bool onNext() override;
    void onSave();
    // The tab stops after the widest text of each column, in the list's font.
    void fitColumns();
    // Entry 26 as a question, the page disabled while it is open: true for Yes.
    bool installAnyway();

    PageContext& run_;
    SystemInformationTable table_;
};

// Writes `text` to a new file `path`; a file of that name that appeared meanwhile
// is left alone, and a file that could not be written whole is removed again.
bool saveNewFile(const std::string& path, const std::string& text);

}  // namespace vortix

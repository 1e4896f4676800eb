// The system information page: the machine against the package's requirements,
// one row a requirement in a list box whose tab stops fit the four columns; Save
// writes the table to a text file on drive C. When requirements are not met,
// Next asks whether to install anyway, and No keeps the page.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "installer/setup/probe/system_information.h"
#include "installer/setup/win32_messages.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

class SystemInformationPage : public WizardPage {
public:
    static const fw::CommandEntry<SystemInformationPage> kCommands[];
    static const fw::MessageEntry<SystemInformationPage> kMessages[];

    // Shows `table` and the Save button's caption from the language set `lines`,
    // through which the page's questions and messages are put (`messages`).
    void fill(SystemInformationTable table, const std::vector<std::string>& lines,
              SetupMessages& messages);

protected:
    bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void onSave();
    // The tab stops after the widest text of each column, in the list's font.
    void fitColumns();
    // Entry 26 as a question, the page disabled while it is open: true for Yes.
    bool installAnyway();

    SystemInformationTable table_;
    const std::vector<std::string>* lines_ = nullptr;
    SetupMessages* messages_ = nullptr;
};

// Writes `text` to a new file `path`; a file of that name that appeared meanwhile
// is left alone, and a file that could not be written whole is removed again.
bool saveNewFile(const std::string& path, const std::string& text);

}  // namespace vortix

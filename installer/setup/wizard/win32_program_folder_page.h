// The program folder page (stage 8): the folder under the Programs folder that
// the shortcuts go into, typed or picked from the folders already there.
#pragma once

#include <string>
#include <vector>

#include "installer/package/package.h"
#include "installer/setup/variables/variables.h"
#include "installer/setup/win32_messages.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

// The names of the folders in `programsFolder` (every one, hidden ones included;
// listedProgramFolders chooses those shown).
std::vector<std::string> foldersIn(const std::string& programsFolder);

class ProgramFolderPage {
public:
    ProgramFolderPage(Variables& variables, const PackageSettings& settings,
                      SetupMessages& messages)
        : variables_(variables), settings_(settings), messages_(messages) {}

    // The labels in the current language; the first time also the package's default
    // folder in the field (at most 210 characters) and the existing folders in the
    // list. Picking one fills the field; Next checks the name and makes it
    // "<ShortcutDir>" under the Programs folder.
    void prepare(WizardPage& page, bool fresh, const std::vector<std::string>& lines);

private:
    Variables& variables_;
    const PackageSettings& settings_;
    SetupMessages& messages_;
};

}  // namespace vortix

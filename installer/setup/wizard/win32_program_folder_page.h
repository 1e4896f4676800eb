// The program folder page (stage 8): the folder under the Programs folder that
// the shortcuts go into, typed or picked from the folders already there.
#pragma once

#include <string>
#include <vector>

#include "installer/setup/wizard/win32_page_context.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

// The names of the folders in `programsFolder` (every one, hidden ones included;
// listedProgramFolders chooses those shown).
std::vector<std::string> foldersIn(const std::string& programsFolder);

class ProgramFolderPage : public WizardPageImpl<ProgramFolderPage> {
public:
    static const fw::CommandEntry<ProgramFolderPage> kCommands[];

    explicit ProgramFolderPage(PageContext& run) : run_(run) {}

    // The labels in the current language; the first time also the package's default
    // folder in the field (at most 210 characters) and the existing folders in the
    // list.
    bool fill(bool fresh) override;

private:
    // Checks the name and makes it "<ShortcutDir>" under the Programs folder.
    bool onNext() override;
    // Picking a folder from the list fills the field.
    void onFolderPicked();
    // Says what is wrong with the name: false, the page stays.
    bool refuse(LanguageEntry why);

    PageContext& run_;
    std::string programs_;  // the Programs folder the shortcuts go under
};

}  // namespace vortix

#include "installer/setup/wizard/win32_destination_page.h"

#include <shlobj.h>

#include <optional>

#include "installer/common/local_path.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/probe/win32_machine_probe.h"
#include "installer/setup/resource.h"
#include "installer/setup/wizard/wizard_texts.h"

namespace vortix {

const fw::CommandEntry<DestinationPage> DestinationPage::kCommands[] = {
    {IDC_BROWSE, BN_CLICKED, &DestinationPage::onBrowse},
    {IDC_FOLDER, EN_CHANGE, &DestinationPage::showSpace},
    {0, 0, nullptr},
};

bool DestinationPage::fill(bool fresh) {
    if (fresh) {
        const std::vector<std::string>& lines = run_.lines();
        setItemText(IDC_FOLDER_LABEL, entry(lines, LanguageEntry::DestinationFolderLabel));
        setItemText(IDC_BROWSE, entry(lines, LanguageEntry::Browse));
        setItemText(IDC_FOLDER, run_.variables.installDir());
    }
    showSpace();
    return true;
}

void DestinationPage::showSpace() {
    // The space the installation needs against what the chosen drive has free.
    const std::vector<std::string>& lines = run_.lines();
    std::optional<std::uint64_t> free = freeSpaceOf(typedText(IDC_FOLDER));
    std::string text = entry(lines, LanguageEntry::SpaceRequiredLabel) + " " +
                       requiredSizeText(run_.settings().requiredSize) + "\r\n" +
                       entry(lines, LanguageEntry::SpaceAvailableLabel) + " " +
                       (free ? sizeText(*free) : std::string("-"));
    setItemText(IDC_SPACE, text);
}

void DestinationPage::onBrowse() {
    std::string title = entry(run_.lines(), LanguageEntry::ChooseFolderPrompt);
    BROWSEINFOA browse{};
    browse.hwndOwner = handle();
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    if (LPITEMIDLIST chosen = SHBrowseForFolderA(&browse)) {
        char path[MAX_PATH] = "";
        if (SHGetPathFromIDListA(chosen, path))
            setItemText(IDC_FOLDER, path);
        CoTaskMemFree(chosen);
    }
    showSpace();
}

bool DestinationPage::onNext() {
    std::string folder = typedText(IDC_FOLDER);
    while (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    std::optional<std::uint64_t> free = freeSpaceOf(folder);
    if (!isPlainLocalPath(folder) || folder.size() < 3)
        return refuse(LanguageEntry::FullPathNeeded);
    if (!free)
        return refuse(LanguageEntry::DestinationNotValid);
    if (*free < run_.settings().requiredSize)
        return refuse(LanguageEntry::NotEnoughSpace);
    run_.variables.setInstallDir(folder);
    return true;
}

bool DestinationPage::refuse(LanguageEntry why) {
    run_.messages.show(entry(run_.lines(), why), Buttons::Ok, MB_ICONEXCLAMATION);
    return false;
}

}  // namespace vortix

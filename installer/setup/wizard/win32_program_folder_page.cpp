#include "installer/setup/wizard/win32_program_folder_page.h"

#include "installer/setup/actions/install_text.h"
#include "installer/setup/resource.h"
#include "installer/setup/setup_rules.h"
#include "installer/setup/wizard/program_folder.h"

namespace vortix {

const fw::CommandEntry<ProgramFolderPage> ProgramFolderPage::kCommands[] = {
    {IDC_EXISTING_FOLDERS, LBN_SELCHANGE, &ProgramFolderPage::onFolderPicked},
    {0, 0, nullptr},
};

std::vector<std::string> foldersIn(const std::string& programsFolder) {
    std::vector<std::string> names;
    if (programsFolder.empty())
        return names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((programsFolder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

bool ProgramFolderPage::fill(bool fresh) {
    const std::vector<std::string>& lines = run_.lines();
    setItemText(IDC_PROGRAM_FOLDER_LABEL, entry(lines, LanguageEntry::ProgramFolderLabel));
    setItemText(IDC_EXISTING_FOLDERS_LABEL, entry(lines, LanguageEntry::ExistingFoldersLabel));
    programs_ = shortcutProgramsFolder(run_.variables, run_.settings());
    if (fresh) {
        sendItem(IDC_PROGRAM_FOLDER, EM_LIMITTEXT, kProgramFolderNameLimit);
        setItemText(IDC_PROGRAM_FOLDER,
                    run_.settings().shortcutFolder.substr(0, kProgramFolderNameLimit));
        for (const std::string& name : listedProgramFolders(foldersIn(programs_)))
            sendItem(IDC_EXISTING_FOLDERS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    return true;
}

void ProgramFolderPage::onFolderPicked() {
    LRESULT picked = sendItem(IDC_EXISTING_FOLDERS, LB_GETCURSEL);
    if (picked == LB_ERR)
        return;
    LRESULT length = sendItem(IDC_EXISTING_FOLDERS, LB_GETTEXTLEN, picked);
    std::string name(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, '\0');
    sendItem(IDC_EXISTING_FOLDERS, LB_GETTEXT, picked, reinterpret_cast<LPARAM>(name.data()));
    name.resize(std::char_traits<char>::length(name.c_str()));
    setItemText(IDC_PROGRAM_FOLDER, name);
}

bool ProgramFolderPage::onNext() {
    // The name as far as the field takes it: a folder picked from the list may be
    // longer than the limit on typing, and counts to one character past it.
    std::string typed = itemText(IDC_PROGRAM_FOLDER).substr(0, kProgramFolderNameLimit + 1);
    switch (checkProgramFolderName(typed)) {
        case FolderNameProblem::Empty: return refuse(LanguageEntry::ProgramFolderMissing);
        case FolderNameProblem::Invalid: return refuse(LanguageEntry::ProgramFolderInvalid);
        case FolderNameProblem::None: break;
    }
    run_.variables.setShortcutDir(programFolderPath(trimmedProgramFolderName(typed), programs_));
    return true;
}

bool ProgramFolderPage::refuse(LanguageEntry why) {
    run_.messages.show(entry(run_.lines(), why), Buttons::Ok, MB_ICONEXCLAMATION);
    SetFocus(item(IDC_PROGRAM_FOLDER));
    return false;
}

}  // namespace vortix

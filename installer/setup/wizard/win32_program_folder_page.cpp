#include "installer/setup/wizard/win32_program_folder_page.h"

#include "installer/setup/actions/install_text.h"
#include "installer/setup/resource.h"
#include "installer/setup/setup_rules.h"
#include "installer/setup/wizard/program_folder.h"

namespace vortix {

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

void ProgramFolderPage::prepare(WizardPage& page, bool fresh,
                                const std::vector<std::string>& lines) {
    page.setItemText(IDC_PROGRAM_FOLDER_LABEL, entry(lines, LanguageEntry::ProgramFolderLabel));
    page.setItemText(IDC_EXISTING_FOLDERS_LABEL, entry(lines, LanguageEntry::ExistingFoldersLabel));
    HWND field = page.item(IDC_PROGRAM_FOLDER);
    HWND list = page.item(IDC_EXISTING_FOLDERS);
    std::string programs = shortcutProgramsFolder(variables_, settings_);
    if (fresh) {
        SendMessageA(field, EM_LIMITTEXT, kProgramFolderNameLimit, 0);
        std::string start = settings_.shortcutFolder.substr(0, kProgramFolderNameLimit);
        SetWindowTextA(field, start.c_str());
        for (const std::string& name : listedProgramFolders(foldersIn(programs)))
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    page.onControl = [field, list](int control) {
        if (control != IDC_EXISTING_FOLDERS)
            return;
        LRESULT picked = SendMessageA(list, LB_GETCURSEL, 0, 0);
        if (picked == LB_ERR)
            return;
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, picked, 0);
        std::string name(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, picked, reinterpret_cast<LPARAM>(name.data()));
        name.resize(std::char_traits<char>::length(name.c_str()));
        SetWindowTextA(field, name.c_str());
    };
    // The page object may be gone by the time Next is pressed: only what outlives
    // it is kept.
    page.validate = [&variables = variables_, &messages = messages_, field, programs, &lines] {
        char typed[kProgramFolderNameLimit + 2] = "";
        GetWindowTextA(field, typed, sizeof typed);
        switch (checkProgramFolderName(typed)) {
            case FolderNameProblem::Empty:
                messages.show(entry(lines, LanguageEntry::ProgramFolderMissing), Buttons::Ok,
                              MB_ICONEXCLAMATION);
                SetFocus(field);
                return false;
            case FolderNameProblem::Invalid:
                messages.show(entry(lines, LanguageEntry::ProgramFolderInvalid), Buttons::Ok,
                              MB_ICONEXCLAMATION);
                SetFocus(field);
                return false;
            case FolderNameProblem::None: break;
        }
        variables.setShortcutDir(programFolderPath(trimmedProgramFolderName(typed), programs));
        return true;
    };
}

}  // namespace vortix

// The system's file-open and file-save dialogs.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <optional>
#include <string>

namespace fw {

struct FileDialogOptions {
    const char* title;
    // Pairs of description and pattern, as the system wants them: "Text\0*.txt\0".
    std::string filter;
    const char* defaultExtension = nullptr;
    std::string defaultName;
    DWORD flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    // The filter shown first, from 1.
    DWORD filterIndex = 1;
    // A check box of the program's own below the dialog's controls: the child dialog
    // template that holds it (in the program's resources), the box's id, and where
    // its state is read from before and written to when the user chooses a file.
    struct CheckBox {
        int templateId;
        int id;
        bool* checked;
    };
    std::optional<CheckBox> checkBox;
};

// The chosen path and the filter (from 1) that was shown when the user chose it.
struct FileChoice {
    std::string path;
    int filterIndex;
};

// The chosen path, or nothing on Cancel.
std::optional<std::string> askFileToOpen(HWND owner, const FileDialogOptions& options);
std::optional<std::string> askFileToSave(HWND owner, const FileDialogOptions& options);
std::optional<FileChoice> chooseFileToOpen(HWND owner, const FileDialogOptions& options);
std::optional<FileChoice> chooseFileToSave(HWND owner, const FileDialogOptions& options);

}  // namespace fw

#include "framework/file_dialog.h"

#include <commdlg.h>

namespace fw {
namespace {

// Looks after the check box of FileDialogOptions::CheckBox in the child dialog that
// holds it: set from the caller's state, and read back when a file is chosen.
UINT_PTR CALLBACK checkBoxHook(HWND child, UINT message, WPARAM, LPARAM lParam) {
    using CheckBox = FileDialogOptions::CheckBox;
    if (message == WM_INITDIALOG) {
        const auto& dialog = *reinterpret_cast<const OPENFILENAMEA*>(lParam);
        const auto* box = reinterpret_cast<const CheckBox*>(dialog.lCustData);
        SetWindowLongPtrA(child, DWLP_USER, reinterpret_cast<LONG_PTR>(box));
        CheckDlgButton(child, box->id, *box->checked ? BST_CHECKED : BST_UNCHECKED);
    } else if (message == WM_NOTIFY &&
               reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(CDN_FILEOK)) {
        if (const auto* box =
                reinterpret_cast<const CheckBox*>(GetWindowLongPtrA(child, DWLP_USER)))
            *box->checked = IsDlgButtonChecked(child, box->id) == BST_CHECKED;
    }
    return 0;
}

std::optional<FileChoice> ask(HWND owner, const FileDialogOptions& options, bool save) {
    char path[MAX_PATH * 2] = "";
    options.defaultName.copy(path, sizeof path - 1);
    std::string filter = options.filter + std::string(1, '\0');
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.lpstrTitle = options.title;
    dialog.lpstrDefExt = options.defaultExtension;
    dialog.Flags = options.flags;
    dialog.nFilterIndex = options.filterIndex;
    if (options.checkBox) {
        dialog.Flags |= OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK;
        dialog.hInstance = GetModuleHandleA(nullptr);
        dialog.lpTemplateName = MAKEINTRESOURCEA(options.checkBox->templateId);
        dialog.lpfnHook = checkBoxHook;
        dialog.lCustData = reinterpret_cast<LPARAM>(&*options.checkBox);
    }
    BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!chosen)
        return std::nullopt;
    return FileChoice{std::string(path), static_cast<int>(dialog.nFilterIndex)};
}

}  // namespace

std::optional<std::string> askFileToOpen(HWND owner, const FileDialogOptions& options) {
    std::optional<FileChoice> choice = ask(owner, options, false);
    return choice ? std::optional<std::string>(choice->path) : std::nullopt;
}

std::optional<std::string> askFileToSave(HWND owner, const FileDialogOptions& options) {
    std::optional<FileChoice> choice = ask(owner, options, true);
    return choice ? std::optional<std::string>(choice->path) : std::nullopt;
}

std::optional<FileChoice> chooseFileToOpen(HWND owner, const FileDialogOptions& options) {
    return ask(owner, options, false);
}

std::optional<FileChoice> chooseFileToSave(HWND owner, const FileDialogOptions& options) {
    return ask(owner, options, true);
}

}  // namespace fw

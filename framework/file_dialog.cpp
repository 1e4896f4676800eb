#include "framework/file_dialog.h"

#include <commdlg.h>

namespace fw {
namespace {

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

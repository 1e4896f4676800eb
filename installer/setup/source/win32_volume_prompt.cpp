#include "installer/setup/source/win32_volume_prompt.h"

#include <commdlg.h>

#include "framework/dialog.h"
#include "installer/common/win32_system_libraries.h"
#include "installer/package/package_format.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/actions/windows_path.h"
#include "installer/setup/resource.h"
#include "installer/setup/wizard/wizard_texts.h"
#include "platform/file_system.h"

namespace vortix {

DriveKind driveKindOf(const std::string& folder) {
    std::string root = driveRootOf(folder);
    if (root.empty())
        return DriveKind::Unknown;
    switch (GetDriveTypeA(root.c_str())) {
        case DRIVE_REMOVABLE: return DriveKind::Removable;
        case DRIVE_CDROM: return DriveKind::CdRom;
        case DRIVE_REMOTE: return DriveKind::Network;
        case DRIVE_FIXED:
        case DRIVE_RAMDISK: return DriveKind::Fixed;
        default: return DriveKind::Unknown;
    }
}

namespace {

using Offer = std::function<VolumeVerdict(const std::string& folder)>;

// The system's file-open dialog. Its library is no known DLL of every system: it is
// loaded from the system directory when first needed rather than imported, so that
// one planted beside the program is never taken.
bool askFileToOpen(OPENFILENAMEA& dialog) {
    using OpenFunction = BOOL(WINAPI*)(LPOPENFILENAMEA);
    static const OpenFunction open = []() -> OpenFunction {
        HMODULE library = loadSystemLibrary("comdlg32.dll");
        return library ? reinterpret_cast<OpenFunction>(
                             reinterpret_cast<void*>(GetProcAddress(library, "GetOpenFileNameA")))
                       : nullptr;
    }();
    return open && open(&dialog);
}

// A folder as the user typed it, made whole: relative to the current directory,
// without a closing "\" (a drive's root keeps its own).
std::string fullFolder(const std::string& typed) {
    std::string folder = withoutOuterSpaces(typed);
    if (folder.empty())
        return folder;
    char full[MAX_PATH * 2] = "";
    DWORD length = GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);
    if (length > 0 && length < sizeof full)
        folder = full;
    while (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

class VolumeDialog : public fw::DialogImpl<VolumeDialog> {
public:
    static const fw::CommandEntry<VolumeDialog> kCommands[];

    VolumeDialog(SetupMessages& messages, const VolumePromptTexts& texts, int number,
                 std::string folder, VolumeVerdict before, const Offer& offer)
        : messages_(messages),
          texts_(texts),
          number_(number),
          folder_(std::move(folder)),
          before_(before),
          offer_(offer) {}

protected:
    BOOL onInit() override {
        fw::setWindowText(handle(), texts_.caption);
        setItemText(IDC_VOLUME_PROMPT, texts_.prompt);
        setItemText(IDC_VOLUME_NAME, volumeName(number_));
        setItemText(IDC_VOLUME_LOOK_IN, texts_.lookIn);
        setItemText(IDC_VOLUME_FOLDER, folder_);
        setItemText(IDC_VOLUME_BROWSE, texts_.browse);
        setItemText(IDOK, texts_.ok);
        setItemText(IDCANCEL, texts_.cancel);
        // A volume that was there but could not be taken: the user learns why. One
        // that is simply missing is what the prompt itself says.
        if (before_ != VolumeVerdict::NotFound)
            setItemText(IDC_VOLUME_PROBLEM, refusalText(before_, number_, folder_, texts_));
        SetForegroundWindow(handle());
        return TRUE;
    }

private:
    void onOk() {
        std::string folder = fullFolder(itemText(IDC_VOLUME_FOLDER));
        VolumeVerdict verdict = folder.empty() ? VolumeVerdict::NotFound : offer_(folder);
        if (verdict == VolumeVerdict::Accepted) {
            end(IDOK);
            return;
        }
        // Refused: the user hears why, and the prompt asks again with the folder kept.
        std::string text = refusalText(verdict, number_, folder, texts_);
        setItemText(IDC_VOLUME_PROBLEM, text);
        EnableWindow(handle(), FALSE);
        messages_.show(text, Buttons::Ok, MB_ICONEXCLAMATION);
        EnableWindow(handle(), TRUE);
        SetForegroundWindow(handle());
        SetFocus(item(IDC_VOLUME_FOLDER));
    }

    void onCancel() { end(IDCANCEL); }

    // The file browser, showing the volume by its name; the folder it lies in is
    // what counts.
    void onBrowse() {
        std::string name = volumeName(number_);
        std::string folder = fullFolder(itemText(IDC_VOLUME_FOLDER));
        std::string filter = name + '\0' + name + '\0' + "*.*" + '\0' + "*.*" + '\0';
        char path[MAX_PATH * 2] = "";
        (folder.empty() ? name : joinPath(folder, name)).copy(path, sizeof path - 1);
        OPENFILENAMEA dialog{};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = handle();
        dialog.lpstrFilter = filter.c_str();
        dialog.lpstrFile = path;
        dialog.nMaxFile = sizeof path;
        dialog.lpstrTitle = name.c_str();
        dialog.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
        if (askFileToOpen(dialog))
            setItemText(IDC_VOLUME_FOLDER, fullFolder(directoryOf(path)));
    }

    SetupMessages& messages_;
    const VolumePromptTexts& texts_;
    int number_;
    std::string folder_;
    VolumeVerdict before_;
    const Offer& offer_;
};

const fw::CommandEntry<VolumeDialog> VolumeDialog::kCommands[] = {
    {IDOK, BN_CLICKED, &VolumeDialog::onOk},
    {IDCANCEL, BN_CLICKED, &VolumeDialog::onCancel},
    {IDC_VOLUME_BROWSE, BN_CLICKED, &VolumeDialog::onBrowse},
    {0, 0, nullptr},
};

}  // namespace

VolumePrompt::VolumePrompt(SetupMessages& messages, std::function<HWND()> owner,
                           std::function<std::vector<std::string>()> lines)
    : messages_(messages), owner_(std::move(owner)), lines_(std::move(lines)) {}

bool VolumePrompt::ask(int number, const std::string& folder, VolumeVerdict before,
                       const Offer& offer) {
    VolumePromptTexts texts = volumePromptTexts(lines_());
    VolumeDialog dialog(messages_, texts, number, folder, before, offer);
    HWND owner = owner_();
    return dialog.runModal(IDD_VOLUME_PROMPT, owner && IsWindow(owner) ? owner : nullptr) == IDOK;
}

SetupVolumes::SetupVolumes(std::string programFolder, std::string temporaryDirectory,
                           SetupMessages& messages, bool silent, std::function<HWND()> owner,
                           std::function<const std::vector<std::string>*()> language)
    : silent_(silent),
      messages_(messages),
      language_(std::move(language)),
      copies_(std::move(temporaryDirectory),
              fileSystemCalls(platform::systemFileSystem(), [] { return GetTickCount(); })),
      finder_(platform::systemFileSystem(), std::move(programFolder), driveKindOf),
      prompt_(messages, std::move(owner), [this] { return promptLines(); }) {
    finder_.setCopyPlace([this] { return copies_.create(".tmp"); });
}

VolumeOpener SetupVolumes::opener() {
    return [this](int number) { return finder_.open(number); };
}

std::vector<std::string> SetupVolumes::promptLines() const {
    const std::vector<std::string>* loaded = language_ ? language_() : nullptr;
    return loaded && !loaded->empty() ? *loaded : packageLines_;
}

bool SetupVolumes::prepare(PackageStream& stream, const Toc& toc) {
    if (stream.volumeCount() == 0)
        return true;
    finder_.setCheck(
        [&stream](platform::File* file, int number) { return stream.checkVolume(file, number); });
    if (silent_) {
        // Nobody to ask: every volume must be beside the program.
        PackageStream::VolumeCheck volumes = stream.checkVolumes();
        if (volumes.number == 0)
            return true;
        bool otherBuild = volumes.state == PackageStream::VolumeState::OtherBuild;
        messages_.error(formatText(otherBuild ? kOtherBuildVolumeText : kMissingVolumeText,
                                   {volumeName(volumes.number)}));
        return false;
    }
    if (std::optional<LanguageSet> set =
            readLanguageSet(stream, toc, toc.word(toc::kDefaultLanguage)))
        packageLines_ = std::move(set->lines);
    finder_.setAsker(&prompt_);
    finder_.checkUpFront(stream.volumeCount());
    return true;
}

}  // namespace vortix

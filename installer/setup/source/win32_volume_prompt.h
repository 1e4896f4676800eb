// The further volumes of the package as the setup program meets them: found
// beside it, or asked for with the dialog that names "Vortix Installer package #"
// and the number, where the user may type or browse for the folder that holds it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "installer/package/package_reader.h"
#include "installer/setup/extract/temporary_files.h"
#include "installer/setup/source/volume_search.h"
#include "installer/setup/win32_messages.h"

namespace vortix {

// The kind of drive `folder` lies on, as the system tells it.
DriveKind driveKindOf(const std::string& folder);

// The dialog asking for one volume.
class VolumePrompt final : public VolumeAsker {
public:
    // `owner`: the window the dialog belongs to (none before the main window is
    // made). `lines`: the language set in use.
    VolumePrompt(SetupMessages& messages, std::function<HWND()> owner,
                 std::function<std::vector<std::string>()> lines);

    bool ask(int number, const std::string& folder, VolumeVerdict before,
             const std::function<VolumeVerdict(const std::string& folder)>& offer) override;

private:
    SetupMessages& messages_;
    std::function<HWND()> owner_;
    std::function<std::vector<std::string>()> lines_;
};

class SetupVolumes {
public:
    // `language`: the language set loaded, null or empty while there is none.
    // Volumes from swapped discs are copied to "vxw" files in `temporaryDirectory`,
    // deleted when this goes.
    SetupVolumes(std::string programFolder, std::string temporaryDirectory, SetupMessages& messages,
                 bool silent, std::function<HWND()> owner,
                 std::function<const std::vector<std::string>*()> language);
    SetupVolumes(const SetupVolumes&) = delete;
    SetupVolumes& operator=(const SetupVolumes&) = delete;

    // What the package stream opens its further volumes with.
    VolumeOpener opener();

    // Once the package is open, before anything else is read from it: every volume
    // found and checked, unless the volumes lie on discs that are swapped (those
    // are asked for when needed). A silent run asks nothing: a volume missing from
    // beside the program, or of another build, refuses the package with a message
    // (false). Throws VolumeSearchCancelled when the user gives up.
    bool prepare(PackageStream& stream, const Toc& toc);

private:
    std::vector<std::string> promptLines() const;

    bool silent_;
    SetupMessages& messages_;
    std::function<const std::vector<std::string>*()> language_;
    // The package's own default set: the prompt's texts before a set is loaded.
    std::vector<std::string> packageLines_;
    TemporaryFiles copies_;
    VolumeFinder finder_;
    VolumePrompt prompt_;
};

}  // namespace vortix

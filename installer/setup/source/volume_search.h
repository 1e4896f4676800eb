// Finding the further volumes of a package ("Vortix Installer package #2", ...):
// where to look for each, when to ask the user for it, and which file to take.
// The folder the user showed is tried first for the volumes after it; a folder on
// a drive whose discs can be swapped (floppy, CD) is looked at again each time a
// volume is needed, while volumes on a fixed or network drive are all checked
// before anything is read. A volume taken from a swapped disc is copied to a file
// of the program's own, so that it is asked for once: the file records are read
// through every volume before the installation reads the files' data.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "installer/package/package_stream.h"
#include "platform/file_system.h"

namespace vortix {

enum class DriveKind { Fixed, Removable, CdRom, Network, Unknown };
// The kind of drive a folder lies on.
using DriveKindQuery = std::function<DriveKind(const std::string& folder)>;

// Whether the user may change the disc in that drive between two volumes.
bool discsSwapIn(DriveKind kind);

// The drive's root of a full path: "C:\" for "C:\dir", "\\server\share\" for a
// network path; empty for anything else.
std::string driveRootOf(std::string_view path);

// "Vortix Installer package #" and the number.
std::string volumeName(int number);

// What became of a folder offered for a volume.
enum class VolumeVerdict { Accepted, NotFound, Incomplete, OtherBuild };

// Refusals of a folder the user showed: the volume's name and the folder.
inline constexpr std::string_view kIncompleteVolumeText =
    "\"%s\" in \"%s\" is shorter than this part of the package: the copy is incomplete. Insert "
    "the right disk, or choose another folder.";
inline constexpr std::string_view kOtherBuildVolumeInFolderText =
    "\"%s\" in \"%s\" belongs to another build of this setup program. Insert the disk made with "
    "this setup program, or choose another folder.";

// The prompt's texts from the language set in use; an entry the set lacks (or no
// set at all, before one is loaded) reads in English.
struct VolumePromptTexts {
    std::string caption, prompt, lookIn, notFound, browse, ok, cancel;
};
VolumePromptTexts volumePromptTexts(const std::vector<std::string>& lines);

// Why the volume was not taken from `folder`, for the user; empty when it was.
std::string refusalText(VolumeVerdict verdict, int number, const std::string& folder,
                        const VolumePromptTexts& texts);

// Asks the user where a volume is (the dialog that names it).
class VolumeAsker {
public:
    virtual ~VolumeAsker() = default;
    // Asks for volume `number`, starting from `folder`, until `offer` accepts a
    // folder; `before` says why the volume was not taken where it was looked for
    // (NotFound when it simply is not there). False when the user cancels.
    virtual bool ask(int number, const std::string& folder, VolumeVerdict before,
                     const std::function<VolumeVerdict(const std::string& folder)>& offer) = 0;
};

// The user gave up looking for a volume: the installation ends, and what was
// done of it is undone.
class VolumeSearchCancelled : public std::runtime_error {
public:
    VolumeSearchCancelled() : std::runtime_error("the volume search was cancelled") {}
};

class VolumeFinder {
public:
    // `check` is the stream's own test of an opened volume (length and build mark).
    using Check = std::function<PackageStream::VolumeState(platform::File* file, int number)>;

    VolumeFinder(platform::FileSystem& files, std::string programFolder, DriveKindQuery driveKind);

    void setCheck(Check check) { check_ = std::move(check); }
    // Without an asker (a silent run) nothing is asked: the volume beside the
    // program is handed over as it is, and the stream refuses it if it must.
    void setAsker(VolumeAsker* asker) { asker_ = asker; }
    // A new, empty file for the copy of a volume from a swapped disc (the program
    // deletes it at its end); nothing when none can be made, and the volume is
    // then read from its disc each time.
    void setCopyPlace(std::function<std::optional<std::string>()> place) {
        copyPlace_ = std::move(place);
    }

    // Volume `number`, checked: from the folder the user showed last, else from
    // beside the program, else from wherever the user shows. Throws
    // VolumeSearchCancelled when the user cancels.
    std::unique_ptr<platform::File> open(int number);

    // Before anything is read: each of the `count` further volumes opened and
    // checked in turn, the user asked for those not found. Stops as soon as the
    // volumes lie on a drive whose discs are swapped: those are asked for when
    // they are needed.
    void checkUpFront(int count);

    // Whether volumes are asked for only when needed.
    bool checkedWhenNeeded() const;
    // The folders a volume is looked for in, in turn.
    std::vector<std::string> foldersToTry() const;

private:
    VolumeVerdict take(const std::string& folder, int number,
                       std::unique_ptr<platform::File>& file);
    // The volume taken from `folder`, or its copy when the folder is on a swapped disc.
    std::unique_ptr<platform::File> kept(const std::string& folder, int number,
                                         std::unique_ptr<platform::File> file);

    platform::FileSystem& files_;
    std::string programFolder_;
    DriveKindQuery driveKind_;
    Check check_;
    VolumeAsker* asker_ = nullptr;
    std::optional<std::string> shown_;  // the folder the user showed last
    std::function<std::optional<std::string>()> copyPlace_;
    std::map<int, std::string> copies_;  // volumes from swapped discs, by number
    bool programOnSwappedDisc_;
    bool shownOnSwappedDisc_ = false;
};

}  // namespace vortix

#include "installer/setup/source/volume_search.h"

#include "installer/common/text_fold.h"
#include "installer/package/language_entries.h"
#include "installer/package/package_format.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/actions/windows_path.h"

namespace vortix {

bool discsSwapIn(DriveKind kind) {
    return kind == DriveKind::Removable || kind == DriveKind::CdRom;
}

std::string driveRootOf(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
        (path.size() == 2 || path[2] == '\\'))
        return std::string(path.substr(0, 2)) + "\\";
    if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        std::size_t server = path.find('\\', 2);
        if (server == std::string_view::npos || server == 2)
            return "";
        std::size_t share = path.find('\\', server + 1);
        std::string_view root = path.substr(0, share);
        if (root.size() == server + 1)
            return "";
        return std::string(root) + "\\";
    }
    return "";
}

std::string volumeName(int number) {
    return std::string(kVolumeNamePrefix) + std::to_string(number);
}

VolumePromptTexts volumePromptTexts(const std::vector<std::string>& lines) {
    auto text = [&lines](LanguageEntry which, const char* english) {
        std::string found = entry(lines, which);
        return found.empty() ? std::string(english) : found;
    };
    VolumePromptTexts texts;
    texts.caption = text(LanguageEntry::NextDiskHeading, "Insert Next Disk");
    texts.prompt = text(LanguageEntry::NextDiskText,
                        "Please insert the disk that holds the next part of the setup package, "
                        "or show Setup where that file is:");
    texts.lookIn = text(LanguageEntry::LookInLabel, "&Look in:");
    texts.notFound = text(LanguageEntry::NextDiskNotFound,
                          "The file was not found in that folder. Please insert the right disk "
                          "or choose another folder.");
    texts.browse = text(LanguageEntry::Browse, "B&rowse...");
    texts.ok = text(LanguageEntry::Ok, "OK");
    texts.cancel = text(LanguageEntry::Cancel, "Cancel");
    return texts;
}

std::string refusalText(VolumeVerdict verdict, int number, const std::string& folder,
                        const VolumePromptTexts& texts) {
    switch (verdict) {
        case VolumeVerdict::Accepted: return "";
        case VolumeVerdict::NotFound: return texts.notFound;
        case VolumeVerdict::Incomplete:
            return formatText(kIncompleteVolumeText, {volumeName(number), folder});
        case VolumeVerdict::OtherBuild:
            return formatText(kOtherBuildVolumeInFolderText, {volumeName(number), folder});
    }
    return "";
}

VolumeFinder::VolumeFinder(platform::FileSystem& files, std::string programFolder,
                           DriveKindQuery driveKind)
    : files_(files),
      programFolder_(std::move(programFolder)),
      driveKind_(std::move(driveKind)),
      programOnSwappedDisc_(discsSwapIn(driveKind_(programFolder_))) {}

bool VolumeFinder::checkedWhenNeeded() const {
    return programOnSwappedDisc_ || (shown_ && shownOnSwappedDisc_);
}

std::vector<std::string> VolumeFinder::foldersToTry() const {
    std::vector<std::string> folders;
    if (shown_)
        folders.push_back(*shown_);
    if (!shown_ || !equalsIgnoringCase(*shown_, programFolder_))
        folders.push_back(programFolder_);
    return folders;
}

VolumeVerdict VolumeFinder::take(const std::string& folder, int number,
                                 std::unique_ptr<platform::File>& file) {
    file = files_.open(joinPath(folder, volumeName(number)), platform::OpenMode::Read);
    if (!file)
        return VolumeVerdict::NotFound;
    PackageStream::VolumeState state =
        check_ ? check_(file.get(), number) : PackageStream::VolumeState::Present;
    if (state == PackageStream::VolumeState::Present)
        return VolumeVerdict::Accepted;
    file.reset();
    // The file is there: too short a copy, or a volume of some other build.
    return state == PackageStream::VolumeState::Missing ? VolumeVerdict::Incomplete
                                                        : VolumeVerdict::OtherBuild;
}

std::unique_ptr<platform::File> VolumeFinder::kept(const std::string& folder, int number,
                                                   std::unique_ptr<platform::File> file) {
    if (!copyPlace_ || !discsSwapIn(driveKind_(folder)))
        return file;
    std::optional<std::string> place = copyPlace_();
    if (!place)
        return file;
    std::unique_ptr<platform::File> copy = files_.open(*place, platform::OpenMode::Append);
    bool copied = copy && file->seek(0);
    std::vector<char> buffer(64 * 1024);
    for (std::size_t got = buffer.size(); copied && got == buffer.size();)
        copied = file->read(buffer.data(), buffer.size(), got) && copy->write(buffer.data(), got);
    copied = copy && copy->close() && copied;
    std::unique_ptr<platform::File> reopened =
        copied ? files_.open(*place, platform::OpenMode::Read) : nullptr;
    if (!reopened) {
        file->seek(0);
        return file;
    }
    copies_[number] = *place;
    return reopened;
}

std::unique_ptr<platform::File> VolumeFinder::open(int number) {
    if (!asker_)
        return files_.open(joinPath(programFolder_, volumeName(number)), platform::OpenMode::Read);
    auto copy = copies_.find(number);
    if (copy != copies_.end())
        if (std::unique_ptr<platform::File> file =
                files_.open(copy->second, platform::OpenMode::Read))
            return file;
    VolumeVerdict before = VolumeVerdict::NotFound;
    std::string startFolder = shown_.value_or(programFolder_);
    for (const std::string& folder : foldersToTry()) {
        std::unique_ptr<platform::File> file;
        VolumeVerdict verdict = take(folder, number, file);
        if (verdict == VolumeVerdict::Accepted)
            return kept(folder, number, std::move(file));
        // The user hears of the first file that was there but could not be taken.
        if (verdict != VolumeVerdict::NotFound && before == VolumeVerdict::NotFound) {
            before = verdict;
            startFolder = folder;
        }
    }
    std::unique_ptr<platform::File> taken;
    std::string takenFrom;
    auto offer = [&](const std::string& folder) {
        VolumeVerdict verdict = take(folder, number, taken);
        if (verdict == VolumeVerdict::Accepted)
            takenFrom = folder;
        return verdict;
    };
    if (!asker_->ask(number, startFolder, before, offer) || !taken)
        throw VolumeSearchCancelled();
    shown_ = takenFrom;
    shownOnSwappedDisc_ = discsSwapIn(driveKind_(takenFrom));
    return kept(takenFrom, number, std::move(taken));
}

void VolumeFinder::checkUpFront(int count) {
    for (int number = 1; number <= count && !checkedWhenNeeded(); ++number)
        open(number);
}

}  // namespace vortix

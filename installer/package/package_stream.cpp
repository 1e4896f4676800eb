#include "installer/package/package_stream.h"

#include <algorithm>

#include "installer/package/package_format.h"

namespace vortix {

PackageStream::PackageStream(std::unique_ptr<platform::File> program, VolumeOpener openVolume)
    : program_(std::move(program)), openVolume_(std::move(openVolume)) {
    if (!program_ || !program_->size(programSize_))
        program_.reset();
    ends_.push_back(program_ ? programSize_ : 0);
}

bool PackageStream::setVolumeEnds(std::vector<std::uint32_t> ends) {
    if (ends.empty() || ends.front() != programSize_)
        return false;
    for (std::size_t i = 1; i < ends.size(); ++i)
        if (ends[i] <= ends[i - 1])
            return false;
    ends_.assign(ends.begin(), ends.end());
    return true;
}

PackageStream::VolumeState PackageStream::stateOf(platform::File* file, std::size_t volume) const {
    std::uint64_t length = ends_[volume] - ends_[volume - 1], actual = 0;
    if (file == nullptr || !file->size(actual) || actual < length)
        return VolumeState::Missing;
    if (volumeMark_ == 0)
        return VolumeState::Present;
    unsigned char mark[kVolumeMarkSize];
    std::size_t got = 0;
    if (actual != length + kVolumeMarkSize || !file->seek(length) ||
        !file->read(reinterpret_cast<char*>(mark), sizeof mark, got) || got != sizeof mark)
        return VolumeState::OtherBuild;
    std::uint64_t found = 0;
    for (unsigned char byte : mark)
        found = found << 8 | byte;
    return found == volumeMark_ ? VolumeState::Present : VolumeState::OtherBuild;
}

PackageStream::VolumeState PackageStream::checkVolume(platform::File* file, int number) const {
    if (number < 1 || number > volumeCount())
        return VolumeState::Missing;
    return stateOf(file, static_cast<std::size_t>(number));
}

PackageStream::VolumeCheck PackageStream::checkVolumes() {
    for (std::size_t volume = 1; volume < ends_.size(); ++volume) {
        std::unique_ptr<platform::File> file =
            openVolume_ ? openVolume_(static_cast<int>(volume)) : nullptr;
        VolumeState state = stateOf(file.get(), volume);
        if (state != VolumeState::Present)
            return {static_cast<int>(volume), state};
    }
    return {};
}

bool PackageStream::read(std::uint64_t offset, char* out, std::size_t size) {
    if (!program_ || offset > this->size() || size > this->size() - offset)
        return false;
    while (size > 0) {
        // The volume holding `offset`: the first whose end lies beyond it.
        std::size_t volume = static_cast<std::size_t>(
            std::upper_bound(ends_.begin(), ends_.end(), offset) - ends_.begin());
        std::uint64_t start = volume == 0 ? 0 : ends_[volume - 1];
        std::size_t piece =
            static_cast<std::size_t>(std::min<std::uint64_t>(size, ends_[volume] - offset));
        if (!readInVolume(volume, offset - start, out, piece))
            return false;
        offset += piece;
        out += piece;
        size -= piece;
    }
    return true;
}

bool PackageStream::read(std::uint64_t offset, std::size_t size, std::string& out) {
    if (!program_ || offset > this->size() || size > this->size() - offset)
        return false;
    // The table of contents may declare far more than the volumes really hold: the
    // piece grows only as its bytes arrive, so a lie costs one chunk, not its size.
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    out.clear();
    while (out.size() < size) {
        std::size_t at = out.size(), piece = std::min(kChunk, size - at);
        out.resize(at + piece);
        if (!read(offset + at, out.data() + at, piece)) {
            out.clear();
            return false;
        }
    }
    return true;
}

bool PackageStream::readInVolume(std::size_t volume, std::uint64_t offset, char* out,
                                 std::size_t size) {
    platform::File* file = program_.get();
    if (volume > 0) {
        if (openNumber_ != volume) {
            // One further volume is open at a time; the last one read is closed.
            volume_.reset();
            openNumber_ = 0;
            if (openVolume_)
                volume_ = openVolume_(static_cast<int>(volume));
            if (stateOf(volume_.get(), volume) != VolumeState::Present) {
                volume_.reset();
                return false;
            }
            openNumber_ = volume;
        }
        file = volume_.get();
    }
    std::size_t got = 0;
    return file->seek(offset) && file->read(out, size, got) && got == size;
}

}  // namespace vortix

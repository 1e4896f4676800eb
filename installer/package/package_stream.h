// The package's byte stream: the program file, then each further volume. Reads
// that run past the end of one volume go on in the next.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vortix {

// Opens volume `number` (1 for "Vortix Installer package #1"); null when it cannot.
using VolumeOpener = std::function<std::unique_ptr<platform::File>(int number)>;

class PackageStream {
public:
    PackageStream(std::unique_ptr<platform::File> program, VolumeOpener openVolume);

    // False when the program file's size cannot be read.
    bool valid() const { return programSize_ != 0 || program_ != nullptr; }
    std::uint64_t programSize() const { return programSize_; }
    // Where each volume ends in the stream; the first is the program file's end.
    // False when the table is not sound (not rising, first not the program's end).
    bool setVolumeEnds(std::vector<std::uint32_t> ends);
    std::uint64_t size() const { return ends_.back(); }

    // The mark each further volume must end with; 0 for volumes without one.
    void setVolumeMark(std::uint64_t mark) { volumeMark_ = mark; }

    enum class VolumeState { Present, Missing, OtherBuild };
    struct VolumeCheck {
        int number = 0;  // the first further volume not present; 0 when all are
        VolumeState state = VolumeState::Present;
    };
    // Opens each further volume in turn: missing when it cannot be opened or is
    // shorter than the table says, of another build when its mark differs.
    VolumeCheck checkVolumes();
    // How many further volumes the stream goes on in.
    int volumeCount() const { return static_cast<int>(ends_.size()) - 1; }
    // Whether `file` may serve as further volume `number` (from 1): present when it
    // holds that volume's share and, in a package with a mark, ends with it.
    VolumeState checkVolume(platform::File* file, int number) const;

    // Exactly `size` bytes from `offset`, or false.
    bool read(std::uint64_t offset, char* out, std::size_t size);
    // A piece of the stream; false when it does not lie wholly inside it.
    bool read(std::uint64_t offset, std::size_t size, std::string& out);

private:
    VolumeState stateOf(platform::File* file, std::size_t volume) const;
    bool readInVolume(std::size_t volume, std::uint64_t offset, char* out, std::size_t size);

    std::unique_ptr<platform::File> program_;
    VolumeOpener openVolume_;
    std::uint64_t programSize_ = 0;
    std::vector<std::uint64_t> ends_;
    std::uint64_t volumeMark_ = 0;
    std::size_t openNumber_ = 0;  // volume held in volume_ (0: none)
    std::unique_ptr<platform::File> volume_;
};

}  // namespace vortix

// The files of one build (the setup program and its volumes), written together or
// not at all: a program beside volumes of another build would install garbage.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace vortix {

// Each file goes first to a new file beside its place and reaches the disk; only
// when every one is whole are they moved into place, in the order they were added.
// Temporary files not moved in place are removed when the set goes.
class OutputSet {
public:
    explicit OutputSet(platform::FileSystem& fs) : fs_(fs) {}
    ~OutputSet();
    OutputSet(const OutputSet&) = delete;
    OutputSet& operator=(const OutputSet&) = delete;

    // Writes `bytes` beside `path`; false when they could not be written whole.
    bool add(const std::string& path, std::string_view bytes);
    // Moves every file into place. False when a move failed: `failed` names the
    // file, and moved() lists those already replaced.
    bool commit(std::string& failed);
    std::vector<std::string> moved() const;

private:
    struct Staged {
        std::string path, temporary;
    };
    platform::FileSystem& fs_;
    std::vector<Staged> staged_;
    std::size_t moved_ = 0;
};

}  // namespace vortix

#include "tools/vxpack/output_set.h"

#include "platform/whole_file.h"

namespace vortix {

OutputSet::~OutputSet() {
    for (std::size_t i = moved_; i < staged_.size(); ++i)
        fs_.remove(staged_[i].temporary);
}

bool OutputSet::add(const std::string& path, std::string_view bytes) {
    Staged staged{path, {}};
    if (platform::writeFileBeside(fs_, path, bytes, staged.temporary) != platform::WriteOutcome::Ok)
        return false;
    staged_.push_back(std::move(staged));
    return true;
}

bool OutputSet::commit(std::string& failed) {
    for (; moved_ < staged_.size(); ++moved_) {
        if (!fs_.replace(staged_[moved_].temporary, staged_[moved_].path)) {
            failed = staged_[moved_].path;
            return false;
        }
    }
    return true;
}

std::vector<std::string> OutputSet::moved() const {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < moved_; ++i)
        paths.push_back(staged_[i].path);
    return paths;
}

}  // namespace vortix

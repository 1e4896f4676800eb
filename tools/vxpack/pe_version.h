// The file version and language of a Windows program or library, read from its
// version resource without the system's help, so the builder can take them from a
// packaged file on any host.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vortix {

struct FileVersion {
    std::uint32_t high = 0, low = 0;  // as the fixed file information holds them
    std::uint32_t language = 0;       // first translation, else the resource's language
};

// Reads the version resource of a PE image in memory. False, with `why`, when the
// bytes are no PE image or it has no usable version resource.
bool readImageVersion(std::string_view image, FileVersion& out, std::string& why);

// The same for a file.
bool readFileVersion(const std::string& path, FileVersion& out, std::string& why);

}  // namespace vortix

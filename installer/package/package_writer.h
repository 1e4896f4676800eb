// Builds a setup program: the engine's program image with a package appended.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "installer/package/package.h"

namespace vortix {

struct BuiltPackage {
    std::string program;               // stub image + package (the first volume)
    std::vector<std::string> volumes;  // further volumes, in order; usually none
    std::string error;                 // why nothing was built; empty on success
};

// Reads every host file the contents name, compresses files, libraries, fonts and
// the uninstaller as gzip members, seals the script block, the texts and the
// language sets twice, and lays everything out behind the stub image.
BuiltPackage buildPackage(std::string_view stubImage, const PackageContents& contents);

}  // namespace vortix

// vxpack's command line: read a description, build the setup program, write it and
// its volumes. The builder is passed in, so the run can be tested without it.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "installer/package/package_writer.h"
#include "platform/file_system.h"

namespace vortix {

using PackageBuilder = std::function<BuiltPackage(std::string_view, const PackageContents&)>;

// The name of further volume `number` (1 for the first one after the program).
std::string volumeFileName(std::size_t number);

// vxpack DESCRIPTION --stub STUB -o OUTPUT. Returns 0 on success, 1 on any error
// (told on `err`); every file is written whole or not at all.
int runPackTool(const std::vector<std::string>& args, platform::FileSystem& fs, std::ostream& out,
                std::ostream& err, const PackageBuilder& build);

}  // namespace vortix

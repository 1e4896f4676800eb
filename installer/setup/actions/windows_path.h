// Windows paths as the install run takes them apart and puts them together:
// components are separated by "\" only, and nothing here touches the disk.
#pragma once

#include <string>
#include <string_view>

namespace vortix {

// Every "\\" (two backslashes) becomes one.
std::string collapseDoubleBackslashes(std::string_view path);
// The path up to its last "\" (empty when it has none).
std::string directoryOf(std::string_view path);
// The part after the last "\".
std::string fileNameOf(std::string_view path);
// directory + "\" (unless it ends in one) + name.
std::string joinPath(std::string_view directory, std::string_view name);

}  // namespace vortix

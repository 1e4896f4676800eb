// Paths the uninstaller may delete: a plain absolute path on a local drive
// ("C:\dir\file"), never an empty path, a bare drive root, a relative path, a
// network or device path, or one that climbs with "..".
#pragma once

#include <string_view>

namespace vortix {

bool isPlainLocalPath(std::string_view path);

}  // namespace vortix

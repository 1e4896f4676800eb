// The running Windows system's side of the temporary files (win32_system_temporary.cpp,
// built only for Windows).
#pragma once

#include <cstdint>
#include <string>

namespace vortix {

// GetTempPath's directory, "C:\" when there is none, always ending in "\".
std::string systemTemporaryDirectory();
// GetTickCount: milliseconds since Windows started.
std::uint32_t systemTickCount();

}  // namespace vortix

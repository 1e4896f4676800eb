// The environment the pre-uninstall program starts with. It runs with no arguments,
// so a silent run tells it through VXUNINST_SILENT=1; any such variable the
// uninstaller inherited itself is left out, so that an interactive run never
// passes one on.
#pragma once

#include <string>
#include <string_view>

namespace vortix {

inline constexpr std::string_view kSilentRunVariable = "VXUNINST_SILENT";

// `ownBlock`: an environment block ("NAME=value" strings, each closed by a NUL, an
// empty string last). The result is one in the same form, its names in the
// case-insensitive order the system keeps them in.
std::string preUninstallEnvironment(std::string_view ownBlock, bool silentRun);

}  // namespace vortix

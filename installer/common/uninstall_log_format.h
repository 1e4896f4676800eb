// The uninstall log: the one contract between the setup program (which writes it)
// and the uninstaller (which reads it out of its own file).
//
// The installed uninstaller file:
//
//   program image (N bytes) | sealed log (S bytes) | N (u32, little-endian)
//
// The sealed log is the plain text below sealed twice (sealed_block.h). Plain text,
// 8-bit, in this order:
//
//   product name NUL "102" NUL pre-uninstall program NUL CR LF
//   "Shared:" CR LF       shared files, one per line, last recorded first
//   "Backups:" CR LF      backup lines (six TAB-separated fields), in recorded order
//   "Files:" CR LF        installed files, last recorded first
//   "Directories:" CR LF  created directories, last recorded first (deepest first)
//   "Registry:" CR LF     the registry tree (registry_log_tree.h), or nothing at all
#pragma once

#include <array>
#include <string_view>

namespace vortix {

inline constexpr std::string_view kFormatTag = "102";
inline constexpr std::string_view kLineEnd = "\r\n";

inline constexpr std::string_view kSharedHeader = "Shared:\r\n";
inline constexpr std::string_view kBackupsHeader = "Backups:\r\n";
inline constexpr std::string_view kFilesHeader = "Files:\r\n";
inline constexpr std::string_view kDirectoriesHeader = "Directories:\r\n";
inline constexpr std::string_view kRegistryHeader = "Registry:\r\n";
inline constexpr std::array<std::string_view, 5> kSectionHeaders = {
    kSharedHeader, kBackupsHeader, kFilesHeader, kDirectoriesHeader, kRegistryHeader};

// The uninstaller's own caption, on every message box it shows.
inline constexpr std::string_view kUninstallerCaption = "Vortix Uninstaller";

}  // namespace vortix

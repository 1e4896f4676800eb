// Edits of text files such as start-up batch files, as a function of the file's
// bytes: insert, append, extend or delete lines next to an anchor line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vortix {

// The file's new bytes, or nothing when it stays as it is. `existing` is nothing
// when the file cannot be read (or is missing): only mode 1 then makes the file.
// The anchor is searched without regard to case, with "\r\n" added to it, so it
// matches the end of a line; the line holding the first match is the anchor line.
// An anchor that is not found leaves the file unchanged.
//   0  text + "\r\n" at the start          3  the anchor line deleted
//   1  "\r\n" + text at the end            4  text + "\r\n" after the anchor line
//   2  text at the end of the anchor line  5+ text + "\r\n" before the anchor line
std::optional<std::string> applyTextEdit(std::uint32_t mode,
                                         const std::optional<std::string>& existing,
                                         std::string_view anchor, std::string_view text);

}  // namespace vortix

// Whole-file reads and crash-safe whole-file writes on top of the file table.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace platform {

enum class ReadOutcome { Ok, CannotOpen, TooLarge, ReadFailed };

// Reads all of `path` into `out`, refusing files above `maxBytes`.
ReadOutcome readWholeFile(FileSystem& fs, const std::string& path, std::size_t maxBytes,
                          std::string& out);

enum class WriteOutcome { Ok, CannotCreate, WriteFailed };

// Replaces the contents of `path` so that, whatever happens part-way (a crash, a
// kill, a full disk), the file holds either its complete old contents or the
// complete new ones: the bytes go to a new file in the same folder, reach the disk,
// and only then take the old file's place in one step. On failure the new file is
// deleted and `path` is untouched. An existing file is never reused as the
// temporary one.
WriteOutcome replaceWholeFile(FileSystem& fs, const std::string& path, std::string_view bytes);

}  // namespace platform

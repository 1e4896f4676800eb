// Whole-file reads and crash-safe whole-file writes on top of the file table.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace platform {

enum class ReadOutcome { Ok, CannotOpen, TooLarge, ReadFailed };

// The bytes of a whole file (not zero-filled first: large files are read often).
class FileBytes {
public:
    std::string_view view() const { return {data_.get(), size_}; }
    std::size_t size() const { return size_; }
    std::string str() const { return std::string(view()); }
    // Hands the bytes over, leaving this empty.
    std::unique_ptr<char[]> take() {
        size_ = 0;
        return std::move(data_);
    }

private:
    friend ReadOutcome readWholeFile(FileSystem&, const std::string&, std::size_t, FileBytes&);
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
};

// Reads all of `path` into `out`, refusing files above `maxBytes`.
ReadOutcome readWholeFile(FileSystem& fs, const std::string& path, std::size_t maxBytes,
                          FileBytes& out);

enum class WriteOutcome {
    Ok,
    CannotCreate,     // no file can be made beside the target (folder missing or closed)
    NoTemporaryName,  // every temporary name is taken by files earlier writes left
    WriteFailed,
};
// Temporary names tried beside a file: PATH.~0 to PATH.~(kTemporaryNames - 1).
inline constexpr int kTemporaryNames = 1000;

// Replaces the contents of `path` so that, whatever happens part-way (a crash, a
// kill, a full disk), the file holds either its complete old contents or the
// complete new ones: the bytes go to a new file in the same folder, reach the disk,
// and only then take the old file's place in one step. On failure the new file is
// deleted and `path` is untouched. An existing file is never reused as the
// temporary one.
WriteOutcome replaceWholeFile(FileSystem& fs, const std::string& path, std::string_view bytes);

// Writes a file's new contents into `file` piece by piece, so that a large file
// need not be made in memory first; false when a write failed. Running out of
// memory may throw std::bad_alloc: the new file is then removed.
using ContentsWriter = std::function<bool(File& file)>;

// replaceWholeFile with the contents written by `contents`.
WriteOutcome replaceWholeFileWith(FileSystem& fs, const std::string& path,
                                  const ContentsWriter& contents);

// The first half of replaceWholeFile, for files that must take their places together:
// writes `bytes` to a new file beside `path`, named in `temporary`, and brings it to
// the disk; `path` itself is not touched. On failure nothing is left behind.
WriteOutcome writeFileBeside(FileSystem& fs, const std::string& path, std::string_view bytes,
                             std::string& temporary);

}  // namespace platform

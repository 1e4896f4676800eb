// The file operations the portable core needs, behind one table, so that the core
// never includes a system header and tests can make any single call fail.
// Each system has its own file: file_system_posix.cpp, file_system_win.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class File {
public:
    virtual ~File() = default;
    // Reads up to `size` bytes; `got` is less than `size` only at the end of the file.
    virtual bool read(char* buffer, std::size_t size, std::size_t& got) = 0;
    virtual bool write(const char* data, std::size_t size) = 0;
    // Forces written data to the disk.
    virtual bool sync() = 0;
    virtual bool size(std::uint64_t& bytes) = 0;
    // Moves the read and write position to `offset` bytes from the start.
    virtual bool seek(std::uint64_t offset) = 0;
    // Closing reports write errors the system held back; the destructor closes quietly.
    virtual bool close() = 0;
};

enum class OpenMode {
    Read,       // existing file, reading
    CreateNew,  // a new file that must not exist yet, writing
    Append,     // writing at the end, created when missing
};

struct PathStatus {
    bool exists = false;
    bool readOnly = false;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Null when the file cannot be opened in that mode.
    virtual std::unique_ptr<File> open(const std::string& path, OpenMode mode) = 0;
    // Moves `from` over `to` in one step, replacing `to` if it exists; the move
    // reaches the disk before this returns.
    virtual bool replace(const std::string& from, const std::string& to) = 0;
    virtual bool remove(const std::string& path) = 0;
    // Gives `to` the access rights `from` has: its mode and, where the system allows,
    // its owner (POSIX), or its access control list (Windows). True when `from` does
    // not exist: a new file keeps the rights it was made with.
    virtual bool copyAccess(const std::string& from, const std::string& to) = 0;
    // False only when the status cannot be read; a missing path is not an error.
    virtual bool status(const std::string& path, PathStatus& out) = 0;
    // Makes the folder `path` (its parent must exist); true when it exists afterwards.
    // A table that keeps no folders makes none.
    virtual bool makeFolder(const std::string& path) {
        (void)path;
        return false;
    }
};

// The running system's implementation.
FileSystem& systemFileSystem();

}  // namespace platform

#include "platform/whole_file.h"

#include <cstring>
#include <new>

namespace platform {

ReadOutcome readWholeFile(FileSystem& fs, const std::string& path, std::size_t maxBytes,
                          FileBytes& out) {
    std::unique_ptr<File> file = fs.open(path, OpenMode::Read);
    if (!file)
        return ReadOutcome::CannotOpen;
    std::uint64_t size = 0;
    if (!file->size(size))
        return ReadOutcome::ReadFailed;
    if (size > maxBytes)
        return ReadOutcome::TooLarge;
    // The size is a hint: one byte more shows whether the file grew meanwhile.
    std::size_t capacity = static_cast<std::size_t>(size) + 1;
    std::unique_ptr<char[]> buffer(new char[capacity]);
    std::size_t total = 0;
    for (;;) {
        std::size_t got = 0;
        if (!file->read(buffer.get() + total, capacity - total, got))
            return ReadOutcome::ReadFailed;
        total += got;
        if (total < capacity)
            break;
        if (total > maxBytes)
            return ReadOutcome::TooLarge;
        std::size_t larger = capacity * 2 > maxBytes + 1 ? maxBytes + 1 : capacity * 2;
        std::unique_ptr<char[]> grown(new char[larger]);
        std::memcpy(grown.get(), buffer.get(), total);
        buffer = std::move(grown);
        capacity = larger;
    }
    if (!file->close())
        return ReadOutcome::ReadFailed;
    out.data_ = std::move(buffer);
    out.size_ = total;
    return ReadOutcome::Ok;
}

namespace {

WriteOutcome writeFileBeside(FileSystem& fs, const std::string& path,
                             const ContentsWriter& contents, std::string& temporary) {
    std::unique_ptr<File> file;
    // A write killed part-way leaves its temporary file behind; the next write
    // takes the next free name rather than touching it.
    for (int attempt = 0; attempt < kTemporaryNames && !file; ++attempt) {
        temporary = path + ".~" + std::to_string(attempt);
        file = fs.open(temporary, OpenMode::CreateNew);
        // Only a name that is taken is worth passing over.
        PathStatus status;
        if (!file && (!fs.status(temporary, status) || !status.exists))
            return WriteOutcome::CannotCreate;
    }
    if (!file)
        return WriteOutcome::NoTemporaryName;
    // The old file's rights before any of its new bytes: a private book stays private.
    bool written;
    try {
        written = fs.copyAccess(path, temporary) && contents(*file) && file->sync();
    } catch (const std::bad_alloc&) {
        file->close();
        file.reset();
        fs.remove(temporary);
        throw;
    }
    bool closed = file->close();
    file.reset();
    if (written && closed)
        return WriteOutcome::Ok;
    fs.remove(temporary);
    return WriteOutcome::WriteFailed;
}

ContentsWriter bytesWriter(std::string_view bytes) {
    return [bytes](File& file) { return file.write(bytes.data(), bytes.size()); };
}

}  // namespace

WriteOutcome writeFileBeside(FileSystem& fs, const std::string& path, std::string_view bytes,
                             std::string& temporary) {
    return writeFileBeside(fs, path, bytesWriter(bytes), temporary);
}

WriteOutcome replaceWholeFile(FileSystem& fs, const std::string& path, std::string_view bytes) {
    return replaceWholeFileWith(fs, path, bytesWriter(bytes));
}

WriteOutcome replaceWholeFileWith(FileSystem& fs, const std::string& path,
                                  const ContentsWriter& contents) {
    std::string temporary;
    WriteOutcome outcome = writeFileBeside(fs, path, contents, temporary);
    if (outcome != WriteOutcome::Ok)
        return outcome;
    if (!fs.replace(temporary, path)) {
        fs.remove(temporary);
        return WriteOutcome::WriteFailed;
    }
    // The names passed over were left by writes that never finished (one program
    // holds a book at a time); now that the file is whole they can go.
    int used = std::stoi(temporary.substr(path.size() + 2));
    for (int stale = 0; stale < used; ++stale)
        fs.remove(path + ".~" + std::to_string(stale));
    return WriteOutcome::Ok;
}

}  // namespace platform

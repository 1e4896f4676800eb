#include "platform/whole_file.h"

namespace platform {

ReadOutcome readWholeFile(FileSystem& fs, const std::string& path, std::size_t maxBytes,
                          std::string& out) {
    std::unique_ptr<File> file = fs.open(path, OpenMode::Read);
    if (!file) return ReadOutcome::CannotOpen;
    std::uint64_t size = 0;
    if (!file->size(size)) return ReadOutcome::ReadFailed;
    if (size > maxBytes) return ReadOutcome::TooLarge;
    // The size is a hint: read to the real end, never past the limit.
    out.resize(static_cast<std::size_t>(size));
    std::size_t got = 0;
    if (!file->read(out.data(), out.size(), got)) return ReadOutcome::ReadFailed;
    out.resize(got);
    if (got == size) {
        char extra[4096];
        std::size_t more = 0;
        do {
            if (!file->read(extra, sizeof extra, more)) return ReadOutcome::ReadFailed;
            if (out.size() + more > maxBytes) return ReadOutcome::TooLarge;
            out.append(extra, more);
        } while (more == sizeof extra);
    }
    return file->close() ? ReadOutcome::Ok : ReadOutcome::ReadFailed;
}

WriteOutcome replaceWholeFile(FileSystem& fs, const std::string& path, std::string_view bytes) {
    std::string temporary;
    std::unique_ptr<File> file;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        temporary = path + ".~" + std::to_string(attempt);
        file = fs.open(temporary, OpenMode::CreateNew);
    }
    if (!file) return WriteOutcome::CannotCreate;
    bool written = file->write(bytes.data(), bytes.size()) && file->sync();
    bool closed = file->close();
    file.reset();
    if (written && closed && fs.replace(temporary, path)) return WriteOutcome::Ok;
    fs.remove(temporary);
    return WriteOutcome::WriteFailed;
}

}  // namespace platform

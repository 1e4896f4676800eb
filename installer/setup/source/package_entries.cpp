#include "installer/setup/source/package_entries.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "installer/setup/extract/package_entry.h"

namespace vortix {

bool StreamSource::read(unsigned char* buffer, std::size_t size, std::size_t& got) {
    std::uint64_t left = extent_.length - done_;
    got = static_cast<std::size_t>(std::min<std::uint64_t>(left, size));
    if (got == 0)
        return true;
    if (!stream_.read(extent_.offset + done_, reinterpret_cast<char*>(buffer), got))
        return false;
    done_ += got;
    return true;
}

bool writeEntry(PackageStream& stream, Extent extent, EntryKind kind, ByteSink& sink,
                std::string& message) {
    if (extent.length == 0)
        return true;
    StreamSource source(stream, extent);
    if (kind == EntryKind::Compressed) {
        DecompressResult result = decompressEntry(source, sink);
        message = result.message;
        return result.ok;
    }
    std::vector<unsigned char> buffer(256 * 1024);
    for (;;) {
        std::size_t got = 0;
        if (!source.read(buffer.data(), buffer.size(), got)) {
            message = "the package cannot be read";
            return false;
        }
        if (got == 0)
            return true;
        if (!sink.write(buffer.data(), got)) {
            message = "the file cannot be written";
            return false;
        }
    }
}

bool extractEntry(PackageStream& stream, Extent extent, EntryKind kind, platform::FileSystem& fs,
                  const std::string& path, std::string& message) {
    fs.remove(path);
    std::unique_ptr<platform::File> file = fs.open(path, platform::OpenMode::CreateNew);
    if (!file) {
        message = "cannot create " + path;
        return false;
    }
    FileSink sink(*file);
    bool ok = writeEntry(stream, extent, kind, sink, message);
    if (!file->close() && ok) {
        ok = false;
        message = "cannot write " + path;
    }
    if (!ok)
        fs.remove(path);
    return ok;
}

}  // namespace vortix

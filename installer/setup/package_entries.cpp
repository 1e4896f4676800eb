#include "installer/setup/package_entries.h"

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

namespace {

bool copyStored(PackageStream& stream, Extent extent, platform::File& file) {
    StreamSource source(stream, extent);
    std::vector<unsigned char> buffer(256 * 1024);
    for (;;) {
        std::size_t got = 0;
        if (!source.read(buffer.data(), buffer.size(), got))
            return false;
        if (got == 0)
            return true;
        if (!file.write(reinterpret_cast<const char*>(buffer.data()), got))
            return false;
    }
}

}  // namespace

bool extractEntry(PackageStream& stream, Extent extent, EntryKind kind, platform::FileSystem& fs,
                  const std::string& path, std::string& message) {
    fs.remove(path);
    std::unique_ptr<platform::File> file = fs.open(path, platform::OpenMode::CreateNew);
    if (!file) {
        message = "cannot create " + path;
        return false;
    }
    bool ok = false;
    if (extent.length == 0) {
        ok = true;
    } else if (kind == EntryKind::Stored) {
        ok = copyStored(stream, extent, *file);
        if (!ok)
            message = "the package cannot be read";
    } else {
        StreamSource source(stream, extent);
        FileSink sink(*file);
        DecompressResult result = decompressEntry(source, sink);
        ok = result.ok;
        message = result.message;
    }
    if (!file->close() && ok) {
        ok = false;
        message = "cannot write " + path;
    }
    if (!ok)
        fs.remove(path);
    return ok;
}

}  // namespace vortix

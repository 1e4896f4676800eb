// Getting a package's pieces out into files: compressed entries decompressed,
// stored ones copied as they are, reading across the package's volumes.
#pragma once

#include <string>

#include "installer/package/package_reader.h"
#include "installer/setup/extract/byte_stream.h"
#include "platform/file_system.h"

namespace vortix {

// Reads one extent of the package stream from its start to its end.
class StreamSource final : public ByteSource {
public:
    StreamSource(PackageStream& stream, Extent extent) : stream_(stream), extent_(extent) {}
    bool read(unsigned char* buffer, std::size_t size, std::size_t& got) override;

private:
    PackageStream& stream_;
    Extent extent_;
    std::uint64_t done_ = 0;
};

enum class EntryKind { Compressed, Stored };

// Hands the entry's original bytes to `sink`; on failure `message` says why.
bool writeEntry(PackageStream& stream, Extent extent, EntryKind kind, ByteSink& sink,
                std::string& message);

// Writes the entry into `path`, which is replaced. On failure `message` says why
// and no partial file is left.
bool extractEntry(PackageStream& stream, Extent extent, EntryKind kind, platform::FileSystem& fs,
                  const std::string& path, std::string& message);

}  // namespace vortix

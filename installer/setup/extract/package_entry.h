// Decompressing one package entry. The format is told by the entry's first bytes,
// as the gzip tool tells it:
//
//   1F 8B        gzip member(s), DEFLATE data               decoded
//   50 4B 03 04  PKZIP local file header, stored or deflated decoded (the first file)
//   1F 9E        old gzip                                    refused
//   1F 1E        pack                                        refused
//   1F 9D        compress (LZW)                              refused
//   1F A0        LZH                                         refused
//
// Memory stays bounded whatever the input says: two fixed buffers, nothing sized
// by a length read from the entry. Damaged or cut-off data ends in a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "installer/setup/extract/byte_stream.h"

namespace vortix {

enum class EntryFormat { Unknown, Gzip, Zip, OldGzip, Packed, Compress, Lzh };

// The format the leading bytes announce (Unknown for fewer than the magic needs).
EntryFormat entryFormat(const unsigned char* lead, std::size_t size);
// A short name for messages: "gzip", "PKZIP", "old gzip", "packed", "compress", "LZH".
const char* formatName(EntryFormat format);

struct DecompressResult {
    bool ok = false;
    std::string message;        // what went wrong, in words for the user; empty on success
    std::uint64_t written = 0;  // bytes handed to the sink
};

// Reads the whole entry from `source` and writes the original bytes to `sink`.
// gzip: every member in a row is decoded (as the gzip tool does); anything else
// after the last member is refused. PKZIP: the first file is decoded and what
// follows it (further headers, the central directory) is not read.
DecompressResult decompressEntry(ByteSource& source, ByteSink& sink);

}  // namespace vortix

// Compression for the package builder: one gzip member (RFC 1952, DEFLATE data)
// per entry. The setup program only ever decompresses.
#pragma once

#include <string>
#include <string_view>

namespace vortix {

// The gzip member of `data`, or an empty string when zlib fails (out of memory).
std::string compressGzipMember(std::string_view data);

}  // namespace vortix

#include "installer/package/gzip_member.h"

#include <zlib.h>

namespace vortix {

std::string compressGzipMember(std::string_view data) {
    // One deflate call with room for the worst case; entries are far below this.
    if (data.size() > (1u << 30))
        return {};
    z_stream stream{};
    // 15 window bits + 16: a gzip header and trailer around the DEFLATE data.
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        return {};
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    int result = deflate(&stream, Z_FINISH);
    std::size_t produced = stream.total_out;
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        return {};
    out.resize(produced);
    return out;
}

}  // namespace vortix

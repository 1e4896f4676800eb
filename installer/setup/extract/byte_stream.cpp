#include "installer/setup/extract/byte_stream.h"

#include <algorithm>
#include <cstring>

namespace vortix {

bool MemorySource::read(unsigned char* buffer, std::size_t size, std::size_t& got) {
    got = std::min({size, step_, bytes_.size()});
    if (got > 0)
        std::memcpy(buffer, bytes_.data(), got);
    bytes_.remove_prefix(got);
    return true;
}

bool StringSink::write(const unsigned char* data, std::size_t size) {
    bytes_.append(reinterpret_cast<const char*>(data), size);
    return true;
}

}  // namespace vortix

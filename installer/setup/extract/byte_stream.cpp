#include "installer/setup/extract/byte_stream.h"

#include <algorithm>
#include <cstring>

#include "platform/file_system.h"

namespace vortix {

bool MemorySource::read(unsigned char* buffer, std::size_t size, std::size_t& got) {
    got = std::min({size, step_, bytes_.size() - at_});
    if (got > 0)
        std::memcpy(buffer, bytes_.data() + at_, got);
    at_ += got;
    return true;
}

bool StringSink::write(const unsigned char* data, std::size_t size) {
    bytes_.append(reinterpret_cast<const char*>(data), size);
    return true;
}

bool LimitedSource::read(unsigned char* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, left_));
    if (wanted == 0)
        return true;
    if (!source_.read(buffer, wanted, got))
        return false;
    got = std::min(got, wanted);
    left_ -= got;
    return true;
}

bool FileSink::write(const unsigned char* data, std::size_t size) {
    return file_.write(reinterpret_cast<const char*>(data), size);
}

}  // namespace vortix

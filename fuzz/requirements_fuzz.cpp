// A package's requirements entry: whatever the bytes, it is refused or read, and
// what was read is written and read again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "installer/package/system_requirements.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::optional<vortix::SystemRequirements> read = vortix::decodeRequirements(bytes);
    if (!read)
        return 0;
    std::optional<vortix::SystemRequirements> again =
        vortix::decodeRequirements(vortix::encodeRequirements(*read));
    if (!again || *again != *read)
        std::abort();
    return 0;
}

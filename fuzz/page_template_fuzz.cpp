// A package's own page template: whatever the bytes, it is refused or made ready
// for a page, and a template made ready is taken again as it stands.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "installer/package/page_templates.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::optional<std::string> ready = vortix::asPageTemplate(bytes);
    if (ready && vortix::asPageTemplate(*ready) != ready)
        std::abort();
    return 0;
}

// Any bytes through the data-file tool's check.
#include <cstdint>
#include <string_view>

#include "tools/ctlite-data/data_tool.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ctlite::checkImage(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}

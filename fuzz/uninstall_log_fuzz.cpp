// Any bytes as an uninstaller file, as a plain log and as a registry tree: reading
// never crashes, and a tree that decodes encodes back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "installer/common/log_context.h"
#include "installer/common/uninstall_log.h"

using namespace vortix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    readUninstallLog(bytes);
    parseLogText(bytes);
    if (std::optional<RegistryLogTree> tree = RegistryLogTree::decode(bytes)) {
        std::string again;
        tree->encode(again);
        if (again != bytes)
            std::abort();
    }
    // Merging new records into whatever this is: a valid result reads back.
    LogContext records;
    records.recordFile("C:\\new");
    records.recordValue(kRootHandles[1], "Software\\X", "v");
    if (std::optional<std::string> merged = records.mergeInto(bytes))
        if (!std::holds_alternative<UninstallLog>(parseLogText(*merged)))
            std::abort();
    return 0;
}

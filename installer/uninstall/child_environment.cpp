#include "installer/uninstall/child_environment.h"

#include <vector>

#include "installer/common/text_fold.h"

namespace vortix {
namespace {

// The name of a "NAME=value" string; the per-drive ones ("=C:=C:\") start with "=".
std::string_view nameOf(std::string_view entry) {
    return entry.substr(0, entry.find('=', 1));
}

}  // namespace

std::string preUninstallEnvironment(std::string_view ownBlock, bool silentRun) {
    std::vector<std::string_view> entries;
    while (!ownBlock.empty() && ownBlock.front() != '\0') {
        std::size_t end = ownBlock.find('\0');
        std::string_view entry = ownBlock.substr(0, end);
        if (!equalsIgnoringCase(nameOf(entry), kSilentRunVariable))
            entries.push_back(entry);
        ownBlock.remove_prefix(end == std::string_view::npos ? ownBlock.size() : end + 1);
    }
    const std::string silent = std::string(kSilentRunVariable) + "=1";
    if (silentRun) {
        const std::string key = upperCased(kSilentRunVariable);
        auto at = entries.begin();
        while (at != entries.end() && upperCased(nameOf(*at)) < key)
            ++at;
        entries.insert(at, silent);
    }
    std::string block;
    for (std::string_view entry : entries)
        block.append(entry).push_back('\0');
    block.push_back('\0');
    if (entries.empty())
        block.push_back('\0');  // an empty block is two NULs
    return block;
}

}  // namespace vortix

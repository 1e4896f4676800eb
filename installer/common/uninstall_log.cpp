#include "installer/common/uninstall_log.h"

#include <array>
#include <cstdint>
#include <new>

#include "installer/common/uninstall_log_format.h"

namespace vortix {
namespace {

// List lines of fewer than three characters are skipped.
std::vector<std::string> lines(std::string_view section) {
    std::vector<std::string> out;
    while (!section.empty()) {
        std::size_t end = section.find(kLineEnd);
        std::string_view line = section.substr(0, end);
        if (line.size() >= 3)
            out.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        section.remove_prefix(end + kLineEnd.size());
    }
    return out;
}

std::uint32_t readTrailer(std::string_view file) {
    std::uint32_t n = 0;
    for (int i = 3; i >= 0; --i)
        n = n << 8 | static_cast<std::uint8_t>(file[file.size() - 4 + i]);
    return n;
}

}  // namespace

std::string_view messageFor(LogError error) {
    switch (error) {
        case LogError::CannotRead: return "Couldn't read uninstallation information. Aborting.";
        case LogError::OutOfMemory: return "Out of memory. Aborting.";
        case LogError::Corrupt: return "Uninstallation information corrupt. Aborting.";
    }
    return "Uninstallation information corrupt. Aborting.";
}

bool UninstallLog::runsPreUninstallProgram() const {
    return !formatTag.empty() && formatTag != "100" && formatTag != "101" &&
           !preUninstallProgram.empty();
}

std::optional<UninstallerParts> splitUninstaller(std::string_view file) {
    if (file.size() < 4)
        return std::nullopt;
    std::uint32_t n = readTrailer(file);
    if (n > file.size() - 4)
        return std::nullopt;
    return UninstallerParts{file.substr(0, n), file.substr(n, file.size() - 4 - n)};
}

std::string withLog(std::string_view programImage, std::string_view plainText,
                    const KeyDraw& draw) {
    std::string out(programImage);
    out += sealTwice(plainText, draw);
    auto n = static_cast<std::uint32_t>(programImage.size());
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(n >> (8 * i)));
    return out;
}

std::variant<UninstallLog, LogError> parseLogText(std::string_view plain) {
    UninstallLog log;
    // The header line runs to the first CR LF, NULs included.
    std::size_t headerEnd = plain.find(kLineEnd);
    if (headerEnd == std::string_view::npos)
        return LogError::Corrupt;
    std::string_view header = plain.substr(0, headerEnd);
    std::size_t nul1 = header.find('\0');
    log.productName = std::string(header.substr(0, nul1));
    if (nul1 != std::string_view::npos) {
        std::size_t nul2 = header.find('\0', nul1 + 1);
        log.formatTag = std::string(
            header.substr(nul1 + 1, nul2 == std::string_view::npos ? nul2 : nul2 - nul1 - 1));
        if (nul2 != std::string_view::npos && log.formatTag != "100" && log.formatTag != "101") {
            std::size_t nul3 = header.find('\0', nul2 + 1);
            log.preUninstallProgram = std::string(
                header.substr(nul2 + 1, nul3 == std::string_view::npos ? nul3 : nul3 - nul2 - 1));
        }
    }

    // The sections, cut at their headers, searched in order.
    std::array<std::size_t, 5> at;
    std::size_t from = headerEnd + kLineEnd.size();
    for (std::size_t i = 0; i < kSectionHeaders.size(); ++i) {
        at[i] = plain.find(kSectionHeaders[i], from);
        if (at[i] == std::string_view::npos)
            return LogError::Corrupt;
        from = at[i] + kSectionHeaders[i].size();
    }
    auto section = [&](std::size_t i) {
        std::size_t start = at[i] + kSectionHeaders[i].size();
        return plain.substr(start, at[i + 1] - start);
    };
    log.shared = lines(section(0));
    if (section(1).size() >= 3)
        log.backupLines = lines(section(1));
    log.files = lines(section(2));
    log.directories = lines(section(3));

    // The whole registry tree is read before anything is acted on.
    std::string_view tree = plain.substr(at[4] + kRegistryHeader.size());
    if (!tree.empty()) {
        std::optional<RegistryLogTree> decoded = RegistryLogTree::decode(tree);
        if (!decoded)
            return LogError::Corrupt;
        log.registry = std::move(*decoded);
        log.hasRegistry = true;
    }
    return log;
}

std::variant<UninstallLog, LogError> readUninstallLog(std::string_view file) {
    std::optional<UninstallerParts> parts = splitUninstaller(file);
    if (!parts)
        return LogError::Corrupt;
    try {
        std::optional<std::string> plain = unsealTwice(parts->sealedLog);
        if (!plain)
            return LogError::Corrupt;
        return parseLogText(*plain);
    } catch (const std::bad_alloc&) {
        return LogError::OutOfMemory;
    }
}

std::optional<std::string> mergeIntoUninstaller(std::string_view file, LogContext& context,
                                                const KeyDraw& draw) {
    std::optional<UninstallerParts> parts = splitUninstaller(file);
    if (!parts)
        return std::nullopt;
    std::optional<std::string> plain = unsealTwice(parts->sealedLog);
    if (!plain)
        return std::nullopt;
    std::optional<std::string> merged = context.mergeInto(*plain);
    if (!merged)
        return std::nullopt;
    return withLog(parts->programImage, *merged, draw);
}

}  // namespace vortix

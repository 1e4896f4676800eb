#include "tools/vxpack/language_file.h"

#include <cstring>

#include "platform/windows1252.h"

namespace vortix {
namespace {

std::uint32_t key(LanguageEntry entry) {
    return static_cast<std::uint32_t>(entry);
}

}  // namespace

bool readLanguageEntries(std::string_view bytes, std::vector<std::string>& entries,
                         LanguageFileProblem& problem) {
    entries.clear();
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    std::size_t lineNumber = 0;
    while (!bytes.empty()) {
        ++lineNumber;
        std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find('\r') != std::string_view::npos) {
            problem = {lineNumber, "a carriage return inside the line (write \"<\\r>\" instead)"};
            return false;
        }
        std::string entry, why;
        if (!platform::cp1252FromUtf8(line, entry, why)) {
            problem = {lineNumber, why};
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

const std::map<std::uint32_t, std::string>& formattedLanguageEntries() {
    static const std::map<std::uint32_t, std::string> entries = {
        {key(LanguageEntry::SetupTitle), "s"},       // window title: the product name
        {key(LanguageEntry::UpdateTitle), "s"},      // window title of an update: the product name
        {key(LanguageEntry::SystemInfoSaved), "s"},  // system information saved: the file name
        {key(LanguageEntry::FileExists), "s"},       // overwrite questions: the path
        {key(LanguageEntry::FileLanguages), "ss"},   // the existing and the new file's language
        {key(LanguageEntry::FileInUse), "s"},        // file in use: the path
    };
    return entries;
}

std::string conversionsOf(std::string_view text) {
    std::string found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        ++i;
        if (i < text.size() && text[i] == '%')
            continue;
        // Flags, width, precision and size prefixes, then the conversion letter.
        while (i < text.size() && std::strchr("-+ #0123456789.*hlLqjztI", text[i]) != nullptr) {
            if (text[i] == '*')
                found.push_back('*');
            ++i;
        }
        found.push_back(i < text.size() ? text[i] : '?');
    }
    return found;
}

bool checkLanguageEntries(const std::vector<std::string>& entries, LanguageFileProblem& problem) {
    if (entries.size() < kLanguageEntryCount) {
        problem = {0, "the set has " + std::to_string(entries.size()) +
                          " entries; the setup program uses entries 0 to " +
                          std::to_string(kLanguageEntryCount - 1)};
        return false;
    }
    for (const auto& [entry, expected] : formattedLanguageEntries()) {
        std::string got = conversionsOf(entries[entry]);
        if (got == expected)
            continue;
        std::string want;
        for (char c : expected)
            want += std::string(want.empty() ? "" : " ") + "%" + c;
        problem = {entry + 1, "entry " + std::to_string(entry) + " must hold exactly " + want +
                                  " (the setup program formats it with " +
                                  std::to_string(expected.size()) +
                                  (expected.size() == 1 ? " text)" : " texts)")};
        return false;
    }
    return true;
}

}  // namespace vortix

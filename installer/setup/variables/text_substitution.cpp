#include "installer/setup/variables/text_substitution.h"

#include <limits>

namespace vortix {

void replaceAll(std::string& text, std::string_view name, std::string_view value) {
    if (name.empty())
        return;
    std::size_t at = text.find(name);
    while (at != std::string::npos) {
        text.replace(at, name.size(), value);
        at = text.find(name, at + value.size());
    }
}

std::string expandLanguageEscapes(std::string line) {
    if (line.find('<') == std::string::npos)
        return line;
    replaceAll(line, "<\\t>", "\t");
    replaceAll(line, "<\\r>", "\r");
    replaceAll(line, "<\\n>", "\n");
    return line;
}

std::int64_t decimalValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    constexpr std::uint64_t kLimit = std::numeric_limits<std::int64_t>::max();
    std::uint64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (magnitude > (kLimit - digit) / 10) {
            magnitude = kLimit + (negative ? 1 : 0);
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (negative)
        return magnitude > kLimit ? std::numeric_limits<std::int64_t>::min()
                                  : -static_cast<std::int64_t>(magnitude);
    return static_cast<std::int64_t>(magnitude);
}

std::string withoutTrailingBackslash(std::string path) {
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

}  // namespace vortix

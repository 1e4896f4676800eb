#include "installer/setup/actions/registry_data.h"

#include "platform/hex_digit.h"

namespace vortix {
namespace {

std::optional<std::string> binary(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 3) {
        if (i + 1 >= text.size())
            return std::nullopt;
        int high = platform::hexDigitValue(text[i]), low = platform::hexDigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out.push_back(static_cast<char>(high << 4 | low));
    }
    return out;
}

std::optional<std::string> dword(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    bool negative = !text.empty() && text.front() == '-';
    if (negative || (!text.empty() && text.front() == '+'))
        text.remove_prefix(1);
    std::uint64_t n = 0;
    if (text.empty() && !negative)
        return std::string(4, '\0');  // an empty number is 0
    if (text.empty())
        return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
        if (n > (negative ? 0x80000000u : 0xFFFFFFFFu))
            return std::nullopt;
    }
    auto value = static_cast<std::uint32_t>(negative ? (0x100000000u - n) : n);
    std::string out;
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
    return out;
}

std::string multiString(std::string_view text) {
    constexpr std::string_view kEnd = "<\\0>";
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i, kEnd.size()) == kEnd) {
            out.push_back('\0');
            i += kEnd.size();
        } else {
            out.push_back(text[i++]);
        }
    }
    // The text's own NUL, then the final NUL of the list when it is missing.
    out.push_back('\0');
    if (out.size() < 2 || out[out.size() - 2] != '\0')
        out.push_back('\0');
    return out;
}

}  // namespace

std::optional<RegistryData> convertRegistryData(std::uint32_t typeCode, std::string_view text) {
    switch (typeCode) {
        case 0: {
            std::optional<std::string> bytes = binary(text);
            if (!bytes)
                return std::nullopt;
            return RegistryData{RegistryValueType::Binary, std::move(*bytes)};
        }
        case 1: {
            std::optional<std::string> bytes = dword(text);
            if (!bytes)
                return std::nullopt;
            return RegistryData{RegistryValueType::Dword, std::move(*bytes)};
        }
        case 2: return RegistryData{RegistryValueType::String, std::string(text) + '\0'};
        default: return RegistryData{RegistryValueType::MultiString, multiString(text)};
    }
}

}  // namespace vortix

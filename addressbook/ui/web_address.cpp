#include "addressbook/ui/web_address.h"

#include <cctype>

namespace ctlite {
namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

// A web address names a host right after its "//".
bool namesAHost(std::string_view address, std::size_t schemeLength) {
    return address.size() > schemeLength && address[schemeLength] != '/' &&
           address[schemeLength] != '\\';
}

std::string escaped(std::string_view address) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : address) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7F || c == '"' || c == '\\') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> openableAddress(std::string_view homepage) {
    constexpr std::string_view kBlanks = " \t\r\n";
    std::size_t first = homepage.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return std::nullopt;
    std::string_view text = homepage.substr(first, homepage.find_last_not_of(kBlanks) + 1 - first);
    if (startsWithNoCase(text, "http://"))
        return namesAHost(text, 7) ? std::optional(escaped(text)) : std::nullopt;
    if (startsWithNoCase(text, "https://"))
        return namesAHost(text, 8) ? std::optional(escaped(text)) : std::nullopt;
    if (startsWithNoCase(text, "mailto:"))
        return text.size() > 7 ? std::optional(escaped(text)) : std::nullopt;
    if (startsWithNoCase(text, "www.") && text.size() > 4)
        return "http://" + escaped(text);
    return std::nullopt;
}

std::string notOpenedMessage(std::string_view homepage) {
    return "This homepage is not a web address, so it is not opened:\n\n" + std::string(homepage);
}

std::string browserCommandLine(const std::string& openCommand, const std::string& address) {
    std::string command = openCommand;
    std::size_t cut = command.find("\"%1\"");
    if (cut == std::string::npos)
        cut = command.find("%1");
    if (cut != std::string::npos)
        command.resize(cut);
    return command + " \"" + address + "\"";
}

std::string hyperlinkFailureReason(int code) {
    switch (code) {
        case 0: return "The operating system is out\nof memory or resources.";
        case 2: return "The specified file was not found.";
        case 3: return "The specified path was not found.";
        case 5: return "The operating system denied\naccess to the specified file.";
        case 8: return "There was not enough memory to complete the operation.";
        case 11: return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        case 26: return "A sharing violation occurred. ";
        case 27: return "The filename association is\nincomplete or invalid.";
        case 28:
            return "The DDE transaction could not\nbe completed because the request timed out.";
        case 29: return "The DDE transaction failed.";
        case 30:
            return "The DDE transaction could not\nbe completed because other DDE "
                   "transactions\nwere "
                   "being processed.";
        case 31: return "There is no application associated\nwith the given filename extension.";
        case 32: return "The specified dynamic-link library was not found.";
        default: return "Unknown Error (" + std::to_string(code) + ") occurred.";
    }
}

}  // namespace ctlite

#include "addressbook/model/text.h"

namespace ctlite {

void appendFoldedUpper(std::string& out, std::string_view text) {
    std::size_t at = out.size();
    out.resize(at + text.size());
    char* dest = out.data() + at;
    for (char c : text)
        *dest++ = foldUpper(c);
}

std::string foldedUpper(std::string_view text) {
    std::string out;
    appendFoldedUpper(out, text);
    return out;
}

bool hasReservedBytes(std::string_view text) {
    for (char c : text)
        if (isReservedByte(c))
            return true;
    return false;
}

std::string withoutReservedBytes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (!isReservedByte(c))
            out.push_back(c);
    return out;
}

std::string withoutControlBytes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20)
            out.push_back(c);
    return out;
}

std::string_view truncated(std::string_view text, std::size_t limit) {
    return text.substr(0, limit);
}

}  // namespace ctlite

#include "addressbook/transfer/incoming_text.h"

#include <cstdint>
#include <cstring>

#include "platform/windows1252.h"

namespace ctlite::transfer {
namespace {

// The length of the UTF-8 sequence at `at` and its character, or 0 when invalid.
std::size_t utf8Sequence(std::string_view text, std::size_t at, std::uint32_t& code) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    std::size_t length;
    std::uint32_t min;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

}  // namespace

Encoding detectEncoding(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return Encoding::Utf8;
    bool above = false;
    for (std::size_t at = 0; at < bytes.size();) {
        // Plain ASCII, eight bytes at a look.
        std::uint64_t word;
        if (at + sizeof word <= bytes.size()) {
            std::memcpy(&word, bytes.data() + at, sizeof word);
            if ((word & 0x8080808080808080u) == 0) {
                at += sizeof word;
                continue;
            }
        }
        if (static_cast<unsigned char>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        std::uint32_t code;
        std::size_t length = utf8Sequence(bytes, at, code);
        if (length == 0)
            return Encoding::Windows1252;
        above = true;
        at += length;
    }
    return above ? Encoding::Utf8 : Encoding::Windows1252;
}

std::size_t windows1252FromUtf8(std::string_view utf8, std::string& out) {
    std::size_t replaced = 0;
    out.reserve(out.size() + utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        std::uint32_t code;
        std::size_t length = utf8Sequence(utf8, at, code);
        char byte;
        if (length == 0) {
            length = 1;
            byte = '?';
            ++replaced;
        } else if (!platform::windows1252Of(code, byte)) {
            byte = '?';
            ++replaced;
        }
        out += byte;
        at += length;
    }
    return replaced;
}

std::string storedValue(std::string_view value, Encoding encoding, Field field,
                        ValueCounts& counts) {
    std::string decoded;
    if (encoding == Encoding::Utf8) {
        std::size_t replaced = windows1252FromUtf8(value, decoded);
        if (replaced) {
            ++counts.valuesChanged;
            counts.charactersReplaced += replaced;
        }
    } else {
        decoded.assign(value);
    }
    // A line feed the file holds alone is a line break the book holds as CR LF.
    std::string stored;
    stored.reserve(decoded.size());
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        if (decoded[i] == '\n' && (i == 0 || decoded[i - 1] != '\r'))
            stored += '\r';
        stored += decoded[i];
    }
    if (field != Field::Note && stored.size() > kMaxImportedValue) {
        stored.resize(kMaxImportedValue);
        ++counts.valuesCut;
    }
    return stored;
}

std::string_view storedValue(std::string_view value, Encoding encoding, Field field,
                             ValueCounts& counts, std::string& scratch) {
    bool plain = value.size() <= kMaxImportedValue || field == Field::Note;
    for (std::size_t i = 0; plain && i < value.size(); ++i) {
        auto c = static_cast<unsigned char>(value[i]);
        plain = c != '\n' && (c < 0x80 || encoding == Encoding::Windows1252);
    }
    if (plain)
        return value;
    scratch = storedValue(value, encoding, field, counts);
    return scratch;
}

}  // namespace ctlite::transfer

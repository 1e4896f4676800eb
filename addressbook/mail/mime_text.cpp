#include "addressbook/mail/mime_text.h"

#include <cstring>

namespace ctlite {
namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kHex[] = "0123456789ABCDEF";
constexpr std::size_t kGroupsPerLine = 19;  // 76 characters

char* encodeGroup(const unsigned char* in, char* out) {
    unsigned v = (in[0] << 16) | (in[1] << 8) | in[2];
    out[0] = kAlphabet[v >> 18];
    out[1] = kAlphabet[(v >> 12) & 63];
    out[2] = kAlphabet[(v >> 6) & 63];
    out[3] = kAlphabet[v & 63];
    return out + 4;
}

}  // namespace

std::size_t base64LinesLength(std::size_t size) {
    std::size_t groups = size / 3;
    return groups * 4 + (groups / kGroupsPerLine) * 2 + (size % 3 ? 4 : 0) + 2;
}

std::string base64Lines(std::string_view bytes) {
    std::string out(base64LinesLength(bytes.size()), '\0');
    auto in = reinterpret_cast<const unsigned char*>(bytes.data());
    char* o = out.data();
    std::size_t groups = bytes.size() / 3;
    std::size_t done = 0;
    while (done < groups) {
        std::size_t line = groups - done < kGroupsPerLine ? groups - done : kGroupsPerLine;
        for (std::size_t i = 0; i < line; ++i, in += 3)
            o = encodeGroup(in, o);
        done += line;
        if (line == kGroupsPerLine) {
            *o++ = '\r';
            *o++ = '\n';
        }
    }
    std::size_t rest = bytes.size() % 3;
    if (rest) {
        unsigned char last[3] = {in[0], rest > 1 ? in[1] : static_cast<unsigned char>(0), 0};
        encodeGroup(last, o);
        o[3] = '=';
        if (rest == 1)
            o[2] = '=';
        o += 4;
    }
    *o++ = '\r';
    *o++ = '\n';
    return out;
}

bool hasEightBit(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80)
            return true;
    return false;
}

std::string quotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    std::size_t column = 0;
    auto put = [&](std::string_view piece) {
        // A soft line break keeps every line within 76 columns, the "=" included.
        if (column + piece.size() > 75) {
            out += "=\r\n";
            column = 0;
        }
        out += piece;
        column += piece.size();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "\r\n";
            column = 0;
            ++i;
            continue;
        }
        bool atLineEnd = i + 1 == text.size() || text.compare(i + 1, 2, "\r\n") == 0;
        bool plain = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !atLineEnd);
        if (plain) {
            char one[1] = {static_cast<char>(c)};
            put({one, 1});
        } else {
            char three[3] = {'=', kHex[c >> 4], kHex[c & 15]};
            put({three, 3});
        }
    }
    return out;
}

std::string headerText(std::string_view text) {
    if (!hasEightBit(text))
        return std::string(text);
    // Encoded words of at most 75 characters, folded onto continuation lines.
    const std::string start = std::string("=?") + kMailCharset + "?Q?";
    std::string out;
    std::string word = start;
    for (unsigned char c : text) {
        char piece[3];
        std::size_t n = 1;
        if (c == ' ') {
            piece[0] = '_';
        } else if (c >= 0x80 || c < 0x20 || std::strchr("=?_\"(),.:;<>@[\\]", c)) {
            piece[0] = '=';
            piece[1] = kHex[c >> 4];
            piece[2] = kHex[c & 15];
            n = 3;
        } else {
            piece[0] = static_cast<char>(c);
        }
        if (word.size() + n + 2 > 75) {
            out += word + "?=\r\n ";
            word = start;
        }
        word.append(piece, n);
    }
    return out + word + "?=";
}

std::string headerName(std::string_view name) {
    if (hasEightBit(name))
        return headerText(name);
    if (name.find_first_of("()<>[]:;@\\,.\"") == std::string_view::npos)
        return std::string(name);
    std::string out = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + '"';
}

std::string crlfLines(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else if (text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string dotStuffed(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && c == '.')
            out += '.';
        out += c;
        lineStart = c == '\n';
    }
    return out;
}

}  // namespace ctlite

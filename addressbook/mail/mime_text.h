// The encodings a message needs on its way through SMTP: base64 for attachments,
// quoted-printable for the text, encoded words and quoted strings for header fields.
// Text is 8-bit Windows-1252, the code page the program types and stores.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ctlite {

inline constexpr const char* kMailCharset = "windows-1252";

// Base64 with a "\r\n" after every 76 characters (19 groups of three bytes); the last
// one or two bytes give a padded group with no line-break test, and one more "\r\n"
// always ends the text. An empty input gives "\r\n".
std::string base64Lines(std::string_view bytes);
// Length of base64Lines(bytes) for `size` bytes.
std::size_t base64LinesLength(std::size_t size);

bool hasEightBit(std::string_view text);

// Quoted-printable (RFC 2045) of text whose lines end in "\r\n": "=" and 8-bit bytes
// are written "=XX", blanks before a line end are encoded, lines longer than 76
// columns are broken with soft line breaks. Plain ASCII lines without "=" within
// 76 columns come through unchanged.
std::string quotedPrintable(std::string_view text);

// A header field's text: unchanged when it is ASCII, otherwise one or more RFC 2047
// encoded words in the message's charset.
std::string headerText(std::string_view text);

// A display name for an address header: encoded words when it holds 8-bit text, a
// quoted string when it holds a special such as "," or "\"", unchanged otherwise.
std::string headerName(std::string_view name);

// Every line end ("\r\n", "\n" or a lone "\r") made "\r\n".
std::string crlfLines(std::string_view text);

// The SMTP transparency rule: every line that starts with "." gets one more, the
// first line too.
std::string dotStuffed(std::string_view text);

}  // namespace ctlite

// Text from other programs on its way into an entry: UTF-8 or Windows-1252 bytes to
// the book's Windows-1252, line breaks as the book holds them (CR LF), and the
// length a field keeps. What had to change is counted, so the user can be told.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "addressbook/model/entry.h"

namespace ctlite::transfer {

enum class Encoding { Windows1252, Utf8 };

// UTF-8 when the bytes start with its byte-order mark, or hold characters above
// ASCII and all of them are valid UTF-8; otherwise the book's own code page.
Encoding detectEncoding(std::string_view bytes);

// Every field but the note keeps at most this many characters of an imported
// value; the note keeps all of its text.
inline constexpr std::size_t kMaxImportedValue = 254;

struct ValueCounts {
    std::size_t valuesCut = 0;           // longer than a field keeps
    std::size_t valuesChanged = 0;       // had characters Windows-1252 lacks
    std::size_t charactersReplaced = 0;  // each such character became "?"

    ValueCounts& operator+=(const ValueCounts& other) {
        valuesCut += other.valuesCut;
        valuesChanged += other.valuesChanged;
        charactersReplaced += other.charactersReplaced;
        return *this;
    }
};

// UTF-8 text in Windows-1252: each character the code page lacks, and each byte
// that is not part of valid UTF-8, becomes "?". Returns how many did.
std::size_t windows1252FromUtf8(std::string_view utf8, std::string& out);

// `value` as `field` stores it: decoded, with line breaks as CR LF, cut to
// kMaxImportedValue unless it is the note.
std::string storedValue(std::string_view value, Encoding encoding, Field field,
                        ValueCounts& counts);
// The same, without a copy when the value needs no change: the result is `value`
// itself, or text kept in `scratch`.
std::string_view storedValue(std::string_view value, Encoding encoding, Field field,
                             ValueCounts& counts, std::string& scratch);

}  // namespace ctlite::transfer

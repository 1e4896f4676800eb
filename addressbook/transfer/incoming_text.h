// Text from other programs on its way into an entry: UTF-8, UTF-16 or Windows-1252
// bytes to the book's Windows-1252, line breaks as the book holds them (CR LF), and the
// length a field keeps. What had to change is counted, so the user can be told.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "addressbook/model/entry.h"

namespace ctlite::transfer {

enum class Encoding { Windows1252, Utf8 };

// UTF-8 when the bytes start with its byte-order mark or with UTF-16's (the readers
// turn UTF-16 into UTF-8), or hold at least one valid UTF-8 sequence above ASCII and
// no more bytes outside valid UTF-8 than such sequences: the stray bytes of a UTF-8
// file then become "?", counted, while its valid text is read as it is. Otherwise,
// and so for every file without a valid sequence above ASCII, the book's own code page.
Encoding detectEncoding(std::string_view bytes);

// A file that starts with a UTF-16 byte-order mark (either byte order) as UTF-8 text
// into `out`, the mark left out; an unpaired surrogate or a last odd byte becomes
// U+FFFD, which the book's code page lacks. False, with `out` untouched, for any
// other file.
bool utf8FromUtf16(std::string_view bytes, std::string& out);

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

// Whether text is stored as it stands (but for its length): it holds no line feed,
// and nothing to decode. Also true of every piece of such text.
bool storedAsItStands(std::string_view text, Encoding encoding);

// `value` as `field` stores it: decoded, with line breaks as CR LF, cut to
// kMaxImportedValue unless it is the note.
std::string storedValue(std::string_view value, Encoding encoding, Field field,
                        ValueCounts& counts);
// The same, without a copy when the value needs no change: the result is `value`
// itself, or text kept in `scratch`.
std::string_view storedValue(std::string_view value, Encoding encoding, Field field,
                             ValueCounts& counts, std::string& scratch);

}  // namespace ctlite::transfer

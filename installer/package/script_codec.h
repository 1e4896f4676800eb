// The bytes of the script block, of file record heads and of language-set
// entries. One field list per structure (in script_codec.cpp) drives both the
// writer and the reader, so the two cannot drift apart.
//
// Numbers are u32 big-endian (64-bit figures: high word, then low word), texts
// end with a NUL, lists are a u32 count and their items.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "installer/package/package.h"

namespace vortix {

std::string encodeScript(const Script& script);
// The script, or nothing when the bytes end early, a count cannot fit in the
// bytes left, the registry tree is deeper than 64 levels, or bytes are left over.
std::optional<Script> decodeScript(std::string_view bytes);

// A file record without its data: the head, the condition and the target.
std::string encodeFileRecord(const PackagedFile& file);
// Reads one record from the start of `bytes`; `used` is set to its length.
// Nothing when the record is cut or unsound.
std::optional<PackagedFile> decodeFileRecord(std::string_view bytes, std::size_t& used);
// No record head is longer than this (a generous bound for stream readers).
inline constexpr std::size_t kMaxFileRecordSize = 64 * 1024;

// A language-set entry without its leading length word; the texts are sealed
// twice inside it.
std::string encodeLanguageSet(const LanguageSet& set);
// The name and identifier of an entry; the lines only when `withTexts` (the texts
// are opened then, and nothing is returned when they do not open).
std::optional<LanguageSet> decodeLanguageSet(std::string_view entry, bool withTexts);

}  // namespace vortix

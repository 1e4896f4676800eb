// Language set files: one text entry per line, line k is entry k. The setup program
// formats some entries with printf-style conversions; a set whose entry holds other
// conversions than the program passes would make it read arguments that are not
// there, so every set is checked here before it goes into a package.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "installer/package/language_entries.h"

namespace vortix {

struct LanguageFileProblem {
    std::size_t line = 0;  // 1-based line of the file; 0 when the whole file is at fault
    std::string message;
};

// Splits a language set file into its entries. A line ends with LF or CR LF, a UTF-8
// byte order mark is skipped, a final line end adds no empty entry, and each entry
// is converted from UTF-8 to Windows-1252. Escapes such as "<\n>" stay as written:
// the setup program replaces them when it loads the set.
bool readLanguageEntries(std::string_view bytes, std::vector<std::string>& entries,
                         LanguageFileProblem& problem);

// The entries the setup program formats, with the conversions each must hold, in
// order (one letter per conversion, as conversionsOf gives them).
const std::map<std::uint32_t, std::string>& formattedLanguageEntries();

// The conversions printf would make of `text`, one letter each ("s", "d", ...;
// "*" for a width or precision taken from the arguments, "?" for a "%" at the end).
// "%%" is no conversion.
std::string conversionsOf(std::string_view text);

// Checks a set: it has every entry the setup program uses, and each formatted entry
// holds exactly the conversions the program passes.
bool checkLanguageEntries(const std::vector<std::string>& entries, LanguageFileProblem& problem);

}  // namespace vortix

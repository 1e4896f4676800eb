// Whether an existing file is replaced by the packaged one: the version and date
// comparisons, the overwrite modes 0 to 6, and the questions put to the user.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vortix {

// A file version as its two 32-bit words; four 16-bit parts, most significant first.
struct FileVersion {
    std::uint32_t high = 0, low = 0;
    bool empty() const { return high == 0 && low == 0; }
};

// Where the existing file stands against the packaged one.
enum class Age { Older, Same, Newer };
Age compareVersions(FileVersion existing, FileVersion packaged);

// The version as the questions print it: "%d.%d.%d.%d" when the major part is set,
// "%d.%d.%d" when the minor part is, otherwise "%d.%d", or "%d" when the high word
// of the low part is 0 too.
std::string formatVersion(FileVersion version);

struct OverwriteFacts {
    std::uint32_t mode = 0;  // 0..6
    std::string path;
    FileVersion existing, packaged;
    std::uint32_t existingLanguage = 0, packagedLanguage = 0;  // 0: none
    std::string existingLanguageName, packagedLanguageName;
    std::string existingDescription;
    // Mode 5: the setup program's own last-write time and the packaged file's
    // stored one. The setup program's time stands for the age of the whole
    // package; the existing file's time is not used because copying and restoring
    // files changes it and would make the answer depend on the machine's history.
    std::uint64_t setupTime = 0, packagedTime = 0;
};

enum class Question { None, Language, Version };
// Which question the mode asks, if any (at most one is asked).
Question questionFor(const OverwriteFacts& facts);

// The question texts, made from the language set's entries (texts[k] is entry k).
std::string languageQuestion(const OverwriteFacts& facts, const std::vector<std::string>& texts);
std::string versionQuestion(const OverwriteFacts& facts, const std::vector<std::string>& texts);

// Asks (a Yes/No box with the exclamation icon; true is Yes, which keeps the
// existing file) when the mode calls for it; else the mode alone decides. True
// when the packaged file replaces the existing one.
bool decideOverwrite(const OverwriteFacts& facts, const std::vector<std::string>& texts,
                     const std::function<bool(const std::string&)>& askKeep);

}  // namespace vortix

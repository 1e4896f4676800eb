// Reading a package back out of the setup program's own file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "installer/package/package.h"
#include "installer/package/package_format.h"
#include "installer/package/package_stream.h"
#include "installer/package/system_requirements.h"

namespace vortix {

enum class PackageFailure {
    None,
    SizeMismatch,  // the end length, the TOC length or the TOC's own offset do not fit
    Unreadable,    // the script block cannot be read, opened or parsed
    NewerFormat,   // made for a later engine: its format version is past kPackageFormatVersion
    Damaged,       // its bytes do not give the check value it carries (package_check.h):
                   // changed since it was built, or built before the value existed
};

struct OpenedPackage {
    PackageFailure failure = PackageFailure::None;
    Toc toc;
    Script script;
};

// Reads the end of the program file and the TOC, checks the whole package in the
// program file against its check value, then reads the volume table and the script.
OpenedPackage openPackage(PackageStream& stream);

// A piece the TOC points at: offset and length in the stream.
struct Extent {
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
};

// The names and identifiers of every language set (texts not opened).
std::optional<std::vector<LanguageSet>> readLanguageList(PackageStream& stream, const Toc& toc);
// One set with its lines; nothing when it cannot be read or opened.
std::optional<LanguageSet> readLanguageSet(PackageStream& stream, const Toc& toc,
                                           std::uint32_t index);
// The licence or information text, opened; nothing when absent or unreadable.
std::optional<std::string> readSealedText(PackageStream& stream, const Toc& toc,
                                          std::uint32_t presentWord);

// What the package asks of the machine: empty requirements when the package has
// no such entry, nothing when the entry cannot be read, is larger than
// kMaxRequirementsSize or does not decode.
std::optional<SystemRequirements> readRequirements(PackageStream& stream, const Toc& toc);

// A counted list of length-prefixed pieces (fonts, pictures, templates) or of
// identifier + length-prefixed pieces (wizard bitmaps).
struct ListedPiece {
    std::uint32_t identifier = 0;
    Extent extent;
};
std::optional<std::vector<ListedPiece>> readPieceList(PackageStream& stream, const Toc& toc,
                                                      std::uint32_t countWord,
                                                      std::uint32_t offsetWord,
                                                      bool withIdentifiers);

// Walks the file area one record at a time.
class FileRecordCursor {
public:
    FileRecordCursor(PackageStream& stream, const Toc& toc);
    // The next record and where its data lies; false at the end or when the
    // record cannot be read (failed() then tells which).
    bool next(PackagedFile& record, Extent& data);
    bool failed() const { return failed_; }

private:
    PackageStream& stream_;
    std::uint64_t position_;
    std::uint32_t left_;
    bool failed_ = false;
};

}  // namespace vortix

// Reading and writing the data file as a whole. Every operation opens, reads or
// writes the whole file and closes it again. Every write replaces the file in one
// step with its complete new contents, group section and trailer together, so a
// crash or a full disk leaves either the old file or the new one, never a mix.
//
// Failures come back with the text and title the user is shown and whether the
// program must then end with exit code -1; nothing here shows a window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "addressbook/model/address_book.h"
#include "addressbook/model/problems.h"
#include "platform/file_system.h"

namespace ctlite {

struct Failure {
    std::string_view message;
    std::string_view title;
    bool endsProgram;  // with exit code -1
};

namespace failures {
inline constexpr Failure kReadingFileFailed{"Reading file failed.", "Error", false};
inline constexpr Failure kReadOnly{
    "File is set to Read-only, can't write to the file.\nSave Failed.", "Error", false};
inline constexpr Failure kWritingFileFailed{
    "Writing file failed. The file on disk was left as it was.", "Error", false};
inline constexpr Failure kNoTemporaryName{
    "Writing file failed: the temporary names beside the file (ending in .~0 to .~999) are all\n"
    "taken by files that earlier, unfinished writes left behind. Delete them and save again.\n"
    "The file on disk was left as it was.",
    "Error", false};
inline constexpr Failure kTooLargeToSave{
    "The address book is too large to be saved: its file could not be read again.\n"
    "The file on disk was left as it was.",
    "Error", false};
inline constexpr Failure kNoMemoryToSave{
    "There is not enough memory to save the address book.\n"
    "The file on disk was left as it was; close other programs and save again.",
    "Error", false};
inline constexpr Failure kCannotOpen{"Fatal error executing the program : can't open file",
                                     "Fatal Error", true};
inline constexpr Failure kTooLarge{
    "Fatal error executing the program : the file is too large to be an address book",
    "Fatal Error", true};
inline constexpr Failure kTooDamaged{
    "Fatal error executing the program : the file is too damaged to be an address book",
    "Fatal Error", true};
inline constexpr Failure kMissingFile{"Error executing the program : missing file(data.dat)",
                                      "Error", true};
inline constexpr Failure kSevere001{
    "Severe internal error. If problem persists, please contact me.(ERR:001)", "Error", true};
}  // namespace failures

using Outcome = std::optional<Failure>;  // empty on success

struct LoadResult {
    Outcome failure;
    // Parts of the file that could not be read as they stand. A book loaded from a
    // damaged file must not be saved over it without asking the user.
    ProblemList problems;
};

struct TrailerResult {
    bool unreadable = false;  // the file is there but could not be read
    ProblemList problems;
};

class DataFile {
public:
    DataFile(platform::FileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    bool exists();

    // Writes the whole book: group section and trailer. No write makes a file
    // larger than the reader takes (kTooLargeToSave; the file stays as it was).
    // Running out of memory fails the write (kNoMemoryToSave); the book in memory
    // and the file on disk stay as they were.
    Outcome save(const AddressBook& book);
    // Replaces the trailer of the file on disk (or adds one) and keeps its group section.
    Outcome writeTrailer(const AddressBook& book);

    // Reads the groups into `book`. A file just made by createNew() loads with group 2
    // empty (its placeholder record dropped). On failure the book is left as it was.
    LoadResult load(AddressBook& book, bool justCreated = false);
    // Reads password, lock flag, labels and the first two names into `book`. A file
    // without a trailer, or one that cannot be read, changes nothing; the result
    // tells the two apart, so that a caller can refuse to save defaults over a
    // trailer it could not read.
    TrailerResult readTrailer(AddressBook& book);

    // Writes the file of a new, empty book, replacing any file at the path.
    Outcome createNew();
    // Adds a group with one blank record after the last group, keeping the trailer.
    Outcome appendGroup(std::string_view name);
    // Copies the file as it is on disk to `target`; reports success only.
    bool backupTo(const std::string& target);

private:
    Outcome checkWritable();
    Outcome replaceContents(std::string_view bytes);
    Outcome replaceTrailer(const AddressBook& book);

    platform::FileSystem& fs_;
    std::string path_;
};

}  // namespace ctlite

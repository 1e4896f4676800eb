// The data file, byte for byte. There is no header, version or length: text
// fields, each ended by a control byte, in three sections:
//
//   group section   records of group 1
//                   0x07                            records of group 2
//                   0x07 name(<=49) 0x18            records of group 3, and so on
//   trailer         0x0E password 0x0E label1 ... 0x0E label15 0x0E group1 0x0E group2
//
// A record is nine chunks, each ended by its own terminator; some chunks hold
// several fields joined by the sub-separator 0x05 (see kChunks). A group with no
// entries is stored as one blank record (group 2: one "{ EMPTY }" record). The
// trailer starts at the first 0x0E of the file and runs to its end; its password
// is scrambled with rotatePrintable.
//
// These functions turn an address book into bytes and back without touching a
// file; data_file.h does the reading and writing.
#pragma once

#include <array>
#include <cstddef>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "addressbook/model/address_book.h"
#include "addressbook/model/problems.h"
#include "platform/file_system.h"

namespace ctlite::dataformat {

inline constexpr char kSubSeparator = 0x05;
inline constexpr char kGroupMark = 0x07;
inline constexpr char kGroupNameEnd = 0x18;
inline constexpr char kTrailerMark = 0x0E;

// A record's chunk: `fieldCount` fields from kRecordOrder[firstSlot] on, joined by
// the sub-separator, then the chunk's own terminator.
struct Chunk {
    int firstSlot;
    int fieldCount;
    char terminator;

    constexpr Field field(int i) const { return kRecordOrder[firstSlot + i]; }
};

// The nine chunks of a record, in file order:
//   first name, company | last name | home, fax, pager, mobile, work phone |
//   street | city | state, picture | zip code, country | e-mail, homepage | note
inline constexpr std::array<Chunk, 9> kChunks = {{
    {0, 2, 0x01},
    {2, 1, 0x04},
    {3, 5, 0x02},
    {8, 1, 0x0C},
    {9, 1, 0x03},
    {10, 2, 0x11},
    {12, 2, 0x16},
    {14, 2, 0x06},
    {16, 1, 0x13},
}};

// The byte after each of a record's seventeen fields, in order.
constexpr std::array<char, kRecordFieldCount> makeSeparatorSequence() {
    std::array<char, kRecordFieldCount> sequence{};
    int i = 0;
    for (const Chunk& chunk : kChunks) {
        for (int f = 1; f < chunk.fieldCount; ++f)
            sequence[i++] = kSubSeparator;
        sequence[i++] = chunk.terminator;
    }
    return sequence;
}
inline constexpr std::array<char, kRecordFieldCount> kSeparatorSequence = makeSeparatorSequence();

// The trailer's eighteen fields: password, fifteen labels, names of groups 1 and 2.
inline constexpr int kTrailerFieldCount = 18;

// A file is refused above this size, by the reader and by every writer. A
// personal book of a million entries (about 120 bytes each) takes about 120 MB,
// so this leaves room for long notes.
inline constexpr std::size_t kMaxFileSize = 256u << 20;
// Groups past this number are not read (a list of groups cannot show more).
inline constexpr int kMaxGroups = 32767;

// ---- writing ----

void appendRecord(std::string& out, const Entry& entry);
// Every group with its header and records, in list order (position 1 first).
void appendGroupSection(std::string& out, const AddressBook& book);
// The trailer, from its first 0x0E; the password is stored scrambled.
void appendTrailer(std::string& out, const AddressBook& book);
// The bytes of one record.
std::size_t recordSize(const Entry& entry);
// The size of fileImage(book), without making it; a book whose file would be
// larger than kMaxFileSize cannot be saved, as its file could not be read back.
std::size_t fileImageSize(const AddressBook& book);
// Group section and trailer: the whole file.
std::string fileImage(const AddressBook& book);
// The same bytes written to `file` in pieces, through a buffer of a fixed size
// rather than a copy of the whole file; false when a write failed.
bool writeFileImage(platform::File& file, const AddressBook& book);
// The 53-byte file of a new book: a "{ EMPTY }" record, 0x07, the same record again.
std::string newFileImage();
// One group header (group 3 onward) with its blank record, as "Add a Group" appends it.
std::string newGroupImage(std::string_view name);

// ---- reading ----

// A damaged record may be two bytes long and still become an entry of its own,
// which takes about a hundred bytes of memory; a file of little else would take
// fifty times its size. The reader charges each damaged record this much and
// refuses the file once the charges pass its allowance, four times the file's
// size plus a fixed amount: only a file whose damaged records average under 32
// bytes each reaches it, and the records of a real book are longer.
inline constexpr std::size_t kDamagedRecordCost = 128;
inline constexpr std::size_t kDamageAllowanceBase = 1u << 20;
std::size_t damageAllowance(std::size_t fileSize);

// Thrown by the readers for a file past its damage allowance.
class TooDamaged : public std::exception {
public:
    const char* what() const noexcept override { return "file too damaged to be read"; }
};

// Where the trailer starts (its 0x0E), or the size of the file when there is none.
std::size_t trailerStart(std::string_view file);

struct GroupSection {
    std::vector<Group> groups;
    std::size_t end = 0;  // where the trailer starts, or the size of the file
};

// The groups of a file, read up to its trailer in one pass. Each group's entries
// come out in the reverse of file order (each record is inserted at position 1).
// Blank records: dropped in group 1, kept in group 2, read as the placeholder in
// later groups. Throws TooDamaged past the damage allowance and std::bad_alloc when
// memory runs out.
GroupSection readGroupSection(std::string_view file, ProblemList& problems);
// The same on `size` bytes the entries may keep: the texts of sound records stay
// where they are, their separators turned into NULs, and the bytes are freed with
// the last entry that holds some of them.
GroupSection readGroupSection(std::shared_ptr<char[]> file, std::size_t size,
                              ProblemList& problems);

struct Trailer {
    std::string scrambledPassword;
    std::array<std::string, kLabelCount> labels;
    std::string group1Name;
    std::string group2Name;
};

// Reads the trailer that starts at file[start] (its 0x0E).
Trailer readTrailer(std::string_view file, std::size_t start, ProblemList& problems);
// Password (unscrambled, setting the lock flag when there is one), labels and the
// first two names, each empty one replaced by its default.
void applyTrailer(const Trailer& trailer, AddressBook& book);

// The whole file into `book`, as the program reads it at start-up: the trailer
// (when there is one), then the groups.
void readFile(std::string_view file, AddressBook& book, ProblemList& problems);

}  // namespace ctlite::dataformat

// One contact: eighteen 8-bit text fields, copied whole into and out of a group.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace ctlite {

// The fields in the order the record declares them.
enum class Field : std::uint8_t {
    GroupName,
    FirstName,
    LastName,
    HomePhone,
    StreetAddress,
    City,
    State,
    ZipCode,
    Country,
    Picture,
    Note,
    EmailAddress,
    Homepage,
    FaxNumber,
    PagerNumber,
    MobilePhone,
    CompanyName,
    WorkPhone,
};
inline constexpr int kFieldCount = 18;

using FieldValues = std::array<std::string_view, kFieldCount>;

// The order in which a data-file record holds the fields (the group name is never
// stored in a record and comes last). Entries keep their text in this order too,
// so that a record read from a file becomes an entry with one copy.
inline constexpr std::array<Field, kFieldCount> kRecordOrder = {
    Field::FirstName,     Field::CompanyName, Field::LastName,     Field::HomePhone,
    Field::FaxNumber,     Field::PagerNumber, Field::MobilePhone,  Field::WorkPhone,
    Field::StreetAddress, Field::City,        Field::State,        Field::Picture,
    Field::ZipCode,       Field::Country,     Field::EmailAddress, Field::Homepage,
    Field::Note,          Field::GroupName,
};
constexpr std::array<std::uint8_t, kFieldCount> makeRecordSlots() {
    std::array<std::uint8_t, kFieldCount> slots{};
    for (int i = 0; i < kFieldCount; ++i)
        slots[static_cast<int>(kRecordOrder[i])] = static_cast<std::uint8_t>(i);
    return slots;
}
// Where each field comes in record order: kRecordOrder[kRecordSlot[f]] == f.
inline constexpr std::array<std::uint8_t, kFieldCount> kRecordSlot = makeRecordSlots();
// The fields a record holds: all but the group name.
inline constexpr int kRecordFieldCount = kFieldCount - 1;

// What a search looks in (the Search dialog's radio buttons, in their order).
enum class SearchMode { Names = 0, AllFields = 1, Company = 2 };

class SearchPattern;
class EntryBlocks;

// All eighteen texts live in one block: the end offset of each field, then the
// texts back to back in record order (kRecordOrder), each followed by a NUL. An
// entry with no text holds no block, so copying an entry costs one allocation and
// an empty one costs none. The entries read from one file share a few large chunks
// of memory instead (see EntryBlocks), and their texts stay in the file's bytes:
// their blocks hold a pointer to them in place of the texts. An entry's block stays
// where it is while the entry is moved, and an edited or copied entry gets a block
// of its own.
//
// Text that reaches an entry never holds a byte the data file reserves (see
// isReservedByte): such bytes are dropped on the way in, so what is saved always
// reads back the same.
class Entry {
public:
    Entry() = default;
    Entry(const Entry& other);
    Entry& operator=(const Entry& other);
    Entry(Entry&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
    Entry& operator=(Entry&& other) noexcept;
    ~Entry() { release(); }

    // All eighteen values at once; the fastest way to build an entry.
    explicit Entry(const FieldValues& values);
    // The same with the block carved from `blocks`, for many entries made at once.
    Entry(const FieldValues& values, EntryBlocks& blocks);
    // The entry held by one record of the data file: `record` is the record's
    // `size` bytes inside the text `blocks` keeps, `separators` the offsets in it of
    // the byte after each of its seventeen fields (sub-separators and terminators,
    // the last one ending the record). The reader has checked that no field holds a
    // reserved byte. The texts stay where they are, the separators turned into NULs;
    // the block is carved from `blocks`.
    static Entry fromRecord(char* record, std::size_t size,
                            const std::array<std::uint32_t, kRecordFieldCount>& separators,
                            EntryBlocks& blocks);

    void clear() {
        release();
        block_ = nullptr;
    }
    bool isEmpty() const { return !block_; }

    std::string_view get(Field field) const {
        if (!block_)
            return {};
        int slot = kRecordSlot[static_cast<int>(field)];
        std::uint32_t begin = slot == 0 ? 0 : endOf(slot - 1) + 1;
        return {texts() + begin, endOf(slot) - begin};
    }
    // The same text, NUL-terminated, for system calls.
    const char* c_str(Field field) const;
    void set(Field field, std::string_view text);

    // The "{ EMPTY }" entry that keeps an empty group alive.
    bool isPlaceholder() const;

    // "Smith, Ann", or the first name alone when there is no last name.
    std::string lastNameDisplay() const;
    // "Ann Smith", always with the one blank.
    std::string firstNameDisplay() const;
    // "City, State Zip" and its shorter forms.
    std::string cityLine() const;

    bool matches(SearchMode mode, SearchPattern& pattern) const;

    // What a data-file record holds: the seventeen stored fields in record order,
    // each followed by one byte (a NUL here, the record's separator in the file).
    std::size_t recordSize() const {
        return block_ ? endOf(kRecordFieldCount - 1) + 1 : kRecordFieldCount;
    }
    // Copies recordSize() bytes to `out` with `separators` in place of the NULs.
    void copyRecord(char* out, const std::array<char, kRecordFieldCount>& separators) const;

    friend bool operator==(const Entry& a, const Entry& b);
    friend bool operator!=(const Entry& a, const Entry& b) { return !(a == b); }

private:
    static constexpr std::size_t kHeaderSize = sizeof(std::uint32_t) * kFieldCount;
    // Where the text of a slot ends, counted from the start of the texts.
    std::uint32_t endOf(int slot) const {
        std::uint32_t end;
        std::memcpy(&end, block_ + slot * sizeof(std::uint32_t), sizeof end);
        return end;
    }
    // The texts: right after the header, or where the pointer there says.
    const char* texts() const {
        if (!(prefix() & kTextsElsewhere))
            return block_ + kHeaderSize;
        const char* at;
        std::memcpy(&at, block_ + kHeaderSize, sizeof at);
        return at;
    }
    // The texts up to the last one's NUL, which for texts in a file is not there.
    std::size_t textSize() const { return endOf(kFieldCount - 1); }

    struct Chunk;
    friend class EntryBlocks;
    void release() noexcept;

    // A block is preceded by the chunk that holds it, or null when it is the entry's
    // own; with the lowest bit set, its texts lie elsewhere (Entry::fromRecord).
    static constexpr std::size_t kPrefixSize = sizeof(std::uintptr_t);
    static constexpr std::uintptr_t kTextsElsewhere = 1;
    std::uintptr_t prefix() const {
        std::uintptr_t prefix;
        std::memcpy(&prefix, block_ - kPrefixSize, sizeof prefix);
        return prefix;
    }
    void setPrefix(const Chunk* chunk, std::uintptr_t tag) {
        std::uintptr_t prefix = reinterpret_cast<std::uintptr_t>(chunk) | tag;
        std::memcpy(block_ - kPrefixSize, &prefix, sizeof prefix);
    }
    static char* newOwnBlock(std::size_t size);
    void fill(const FieldValues& values, EntryBlocks* blocks);

    char* block_ = nullptr;
};

// Hands out entry blocks from large chunks, for a reader that makes many entries at
// once: one allocation per chunk rather than per entry. Each chunk counts the
// entries whose blocks it holds and is freed with the last of them, wherever the
// entries went in the meantime. Made with the bytes of a file, each chunk keeps
// them too, for the entries whose texts stay there (Entry::fromRecord).
class EntryBlocks {
public:
    EntryBlocks() = default;
    explicit EntryBlocks(std::shared_ptr<char[]> text) : text_(std::move(text)) {}
    EntryBlocks(const EntryBlocks&) = delete;
    EntryBlocks& operator=(const EntryBlocks&) = delete;
    ~EntryBlocks();

private:
    friend class Entry;
    // A block of `size` bytes for `entry`, which must hold none; `tag` goes with
    // the chunk before it (Entry::kTextsElsewhere).
    char* allocate(Entry& entry, std::size_t size, std::uintptr_t tag = 0);
    void dropCurrent() noexcept;

    std::shared_ptr<char[]> text_;
    Entry::Chunk* current_ = nullptr;
    std::size_t used_ = 0;
    std::size_t capacity_ = 0;
    std::size_t handedOut_ = 0;     // blocks of the current chunk
    std::size_t nextCapacity_ = 0;  // chunks grow, so that a small book takes little
};

// The literal first name of the placeholder entry.
inline constexpr std::string_view kPlaceholderText = "{ EMPTY }";

// An entry whose only text is "{ EMPTY }" as its first name.
class EntryPlaceholder : public Entry {
public:
    EntryPlaceholder() { set(Field::FirstName, kPlaceholderText); }
};

}  // namespace ctlite

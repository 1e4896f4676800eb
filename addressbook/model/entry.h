// One contact: eighteen 8-bit text fields, copied whole into and out of a group.
#pragma once

#include <array>
#include <cstdint>
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
// The fields a record holds: all but the group name.
inline constexpr int kRecordFieldCount = kFieldCount - 1;

// What a search looks in (the Search dialog's radio buttons, in their order).
enum class SearchMode { Names = 0, AllFields = 1, Company = 2 };

class SearchPattern;

// All eighteen texts live in one block: the end offset of each field, then the
// texts back to back in record order (kRecordOrder), each followed by a NUL. An entry with no text
// holds no block, so copying an entry costs one allocation and an empty one costs none.
//
// Text that reaches an entry never holds a byte the data file reserves (see
// isReservedByte): such bytes are dropped on the way in, so what is saved always
// reads back the same.
class Entry {
public:
    Entry() = default;
    Entry(const Entry& other);
    Entry& operator=(const Entry& other);
    Entry(Entry&&) noexcept = default;
    Entry& operator=(Entry&&) noexcept = default;

    // All eighteen values at once; the fastest way to build an entry.
    explicit Entry(const FieldValues& values);
    // The entry held by one record of the data file: `record` is the record's bytes,
    // `separators` the offsets in it of the byte after each of its seventeen fields
    // (sub-separators and terminators, the last one ending the record). The reader
    // has checked that no field holds a reserved byte.
    static Entry fromRecord(std::string_view record,
                            const std::array<std::uint32_t, kRecordFieldCount>& separators);

    void clear() { block_.reset(); }
    bool isEmpty() const { return !block_; }

    std::string_view get(Field field) const;
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

    friend bool operator==(const Entry& a, const Entry& b);
    friend bool operator!=(const Entry& a, const Entry& b) { return !(a == b); }

private:
    static constexpr std::size_t kHeaderSize = sizeof(std::uint32_t) * kFieldCount;
    std::uint32_t endOf(int slot) const;
    std::size_t blockSize() const;

    std::unique_ptr<char[]> block_;
};

// The literal first name of the placeholder entry.
inline constexpr std::string_view kPlaceholderText = "{ EMPTY }";

// An entry whose only text is "{ EMPTY }" as its first name.
class EntryPlaceholder : public Entry {
public:
    EntryPlaceholder() { set(Field::FirstName, kPlaceholderText); }
};

}  // namespace ctlite

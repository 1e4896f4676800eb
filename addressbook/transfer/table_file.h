// Comma-separated and tab-delimited files: one line per entry, seventeen values in a
// fixed order: the sixteen the format has always had, then the country, so that a
// reader that goes by position finds the first sixteen where they were. A line of
// column names may come first (exportColumnNames). Files are written and read as text: a line feed
// is a carriage return and line feed on disk.
//
// Writing: every value of a CSV line is in double quotes, unescaped; a tab line
// has the values with a tab between them. A value the plain format cannot carry
// (a double quote in CSV; a tab or a line break in a tab file) is found first
// (findUncarried) so the caller can say so; it is then written as other programs
// expect it: CSV doubles the quote, a tab file turns the tab or line break into a blank.
//
// Reading takes what other programs write as well: values in double quotes or not,
// quotes doubled inside them, line breaks inside quoted values, the last line with
// or without a line feed. A line ends an unquoted value. A file with a UTF-16
// byte-order mark is read as the same text in UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "addressbook/model/entry.h"
#include "addressbook/model/group_list.h"

namespace ctlite::transfer {

class QuoteScanner;

enum class TableFormat { Csv, Tab };

inline constexpr int kTableColumnCount = 17;

// The fields of a line, in file order (the two formats swap home and work phone; the
// country is last in both).
const std::array<Field, kTableColumnCount>& tableColumns(TableFormat format);

// A value the format cannot carry as it stands.
struct UncarriedValue {
    int position;  // in the group, from 1
    Field field;
};

struct UncarriedValues {
    std::size_t count = 0;
    std::vector<UncarriedValue> first;  // the first few, to name them
};

// A group with no entries of its own holds the bare "{ EMPTY }" entry; it is not exported.
bool holdsOnlyThePlaceholder(const GroupList& list);

// Values of the group's entries (placeholder left out) that the plain format cannot carry.
UncarriedValues findUncarried(const GroupList& list, TableFormat format);

// The file's bytes for every entry of the group in stored order (position 1 first).
// The placeholder of an empty group is not an entry and is not written.
std::string writeTable(const GroupList& list, TableFormat format);
// One entry's line, appended to `out` (text-mode line ends).
void appendTableLine(std::string& out, const Entry& entry, TableFormat format);

// The records of a file, found once; values are handed out as read (8-bit, line
// breaks as single line feeds, of any length).
class TableReader {
public:
    TableReader(std::string_view fileBytes, TableFormat format);

    TableFormat format() const { return format_; }
    // Records in the file; a blank line is not a record. The first call finds them.
    int recordCount() const;
    // The values of record `index` (from 0) into `values`.
    void record(int index, std::vector<std::string>& values) const;

    // Reads the records in file order, one pass, without finding them first: the
    // first into `values`, then each next one; false after the last. Values past
    // the first `keep` of a record are read over, not kept. The values stay valid
    // until the next call: most are the file's own text, the others are kept here.
    class Pass {
    public:
        explicit Pass(const TableReader& reader);
        ~Pass();
        bool next(std::vector<std::string_view>& values, std::size_t keep = SIZE_MAX);
        // The text the last record was read from, without its line end: each of its
        // values is a piece of it, or a piece with quotes taken out.
        std::string_view recordText() const;

    private:
        // The usual CSV record, read in one tight pass: every value in quotes with
        // no quote inside. False, with nothing read, for any other record.
        bool readQuotedRecord(std::vector<std::string_view>& values, std::size_t keep);

        const TableReader& reader_;
        std::unique_ptr<QuoteScanner> quotes_;  // made at the first quoted record
        std::size_t quotesAt_ = SIZE_MAX;       // where it stands after a quoted record
        std::size_t at_ = 0;
        std::size_t recordStart_ = 0, recordEnd_ = 0;
        std::deque<std::string> rewritten_;  // by position in the record (doubled quotes...)
    };

private:
    // The value at `at` as the stretch of the text it is, and in `next` the offset
    // readValue returns; false, with nothing read, for a value that is not such a
    // stretch (doubled quotes, text after the closing quote, no closing quote).
    bool viewValue(std::size_t at, std::string_view& value, std::size_t& next) const;
    // Reads one record starting at `at` into `values` (when given; at most `keep`
    // of them), counting the values; returns the offset after the record.
    std::size_t readRecord(std::size_t at, std::vector<std::string>* values, std::size_t& count,
                           std::size_t keep = SIZE_MAX) const;
    std::size_t readValue(std::size_t at, std::string* value) const;
    // The start of the record at or after `at`, past blank lines; the text's size at its end.
    std::size_t skipBlankLines(std::size_t at) const;

    TableFormat format_;
    std::string text_;  // the file (UTF-16 as UTF-8) with CR LF read as LF
    mutable std::vector<std::size_t> starts_;
    mutable bool found_ = false;
};

}  // namespace ctlite::transfer

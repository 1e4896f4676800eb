// Header lines: the column names that address books, mail programs and spreadsheets
// write as the first line of a comma-separated or tab-delimited file, and the field
// each name means. A file whose first record is such a line is mapped by it, and
// the line itself is no entry.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "addressbook/model/entry.h"
#include "addressbook/transfer/incoming_text.h"
#include "addressbook/transfer/table_import.h"

namespace ctlite::transfer {

// The field a column name stands for (compared without regard to case or to blanks
// and a colon at its ends), or nothing for a name this program does not know.
std::optional<Field> fieldOfColumnName(std::string_view name);

struct HeaderLine {
    ImportMapping mapping;  // each known column to its field, the rest to none
    int known = 0;          // columns whose names are known
};

// The mapping a first record gives when it is a header line: at least two of its
// values, and more than half of those not empty, are known column names, and none
// holds an "@" (a line of names that carries an e-mail address is a person). When
// two columns name the same field, the one whose name is the better match (the
// earlier in the table: a home address before a business one) takes it.
std::optional<HeaderLine> readHeaderLine(const std::vector<std::string>& values, Encoding encoding);

// The mapping of a header line whatever its names, for a user who says the first
// line holds column names: known names mapped, the others to none.
HeaderLine mapColumnNames(const std::vector<std::string>& values, Encoding encoding);

// The names this program writes as the first line of an export, one per value;
// readHeaderLine maps each back to its field.
std::vector<std::string_view> exportColumnNames(TableFormat format);
// That first line, in the format's own form, appended to `out`.
void appendColumnNamesLine(std::string& out, TableFormat format);

}  // namespace ctlite::transfer
